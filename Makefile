# Two commands do everything on a fresh Debian machine:
#   make test   installs what is missing, builds both trees, runs all three test tiers
#   make run    installs what is missing, builds and starts Quorlin.exe under Wine
SHELL := /bin/bash
JOBS ?= $(shell nproc)
NATIVE := build/native
WIN := build/win

.PHONY: all deps configure native win test test-native test-win test-fuzz run dist bench fuzz soak screenshot clean

all: native win

deps:
	@bash scripts/install-deps.sh

$(NATIVE)/CMakeCache.txt: | deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug >/dev/null

$(WIN)/CMakeCache.txt: | deps
	cmake -S . -B $(WIN) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null

native: deps $(NATIVE)/CMakeCache.txt
	cmake --build $(NATIVE) -j $(JOBS)
	@ln -sf $(NATIVE)/compile_commands.json compile_commands.json

win: deps $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS)

test-native: native
	@echo "== Tier 1: native unit tests (ASan/UBSan) =="
	@bash scripts/ctest-summary.sh $(NATIVE)

# Short fuzzing: every committed input again, then a few seconds per target.
test-fuzz: deps
	@echo "== Fuzz targets: committed inputs and a short run =="
	@bash scripts/fuzz.sh --short

test-win: win
	@echo "== Tiers 2 and 3: Win32 tests and end-to-end tests under Wine =="
	@bash scripts/ctest-summary.sh $(WIN)

test: deps
	@start=$$(date +%s); rc=0; \
	$(MAKE) --no-print-directory test-native || rc=1; \
	$(MAKE) --no-print-directory test-fuzz || rc=1; \
	$(MAKE) --no-print-directory test-win || rc=1; \
	echo "make test: $$(( $$(date +%s) - start )) s, $$( [ $$rc -eq 0 ] && echo PASSED || echo FAILED )"; \
	exit $$rc

run: win
	@bash scripts/run-quorlin.sh

# The release packages in dist/ (MSI, portable zip, SHA256SUMS, winget manifests); signed when
# QUORLIN_SIGN_PKCS12 and QUORLIN_SIGN_PASSWORD are set. See README.md, "Install".
dist: deps $(WIN)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS) --target Quorlin
	QUORLIN_WEBSITE=$(QUORLIN_WEBSITE) python3 scripts/dist.py --exe $(WIN)/Quorlin.exe --out dist

# Measurements (bench/): every benchmark under Wine and natively; writes docs/PERFORMANCE.md.
# Not part of make test. Options for bench/run.py go in BENCH_ARGS (see bench/run.py --help).
bench: deps $(WIN)/CMakeCache.txt $(NATIVE)/CMakeCache.txt
	cmake --build $(WIN) -j $(JOBS) --target Quorlin benchmarks
	cmake --build $(NATIVE) -j $(JOBS) --target bench_HookDecision
	python3 bench/run.py $(BENCH_ARGS)

# The long runs; their figures go into docs/RELIABILITY.md. Not part of make test.
FUZZ_SECONDS ?= 600
fuzz: deps
	nice -n 19 bash scripts/fuzz.sh $(FUZZ_SECONDS)

SOAK_EVENTS ?= 100000
soak: win
	cmake --build $(WIN) --target soak -j $(JOBS) >/dev/null
	bash scripts/soak.sh $(SOAK_EVENTS)

clean:
	rm -rf build dist
