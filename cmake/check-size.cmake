# Fails the build when FILE is larger than LIMIT bytes, and removes it so the next build relinks.
# Usage: cmake -DFILE=path -DLIMIT=bytes -P check-size.cmake
file(SIZE "${FILE}" size)
math(EXPR kib "(${size} + 1023) / 1024")
math(EXPR limit_kib "${LIMIT} / 1024")
if(size GREATER LIMIT)
  file(REMOVE "${FILE}")
  message(FATAL_ERROR "${FILE} is ${size} bytes (${kib} KiB), over the limit of ${LIMIT} bytes (${limit_kib} KiB)")
endif()
message(STATUS "${FILE}: ${size} bytes (${kib} KiB), limit ${limit_kib} KiB")
