#!/usr/bin/env python3
"""Checks on the packages of scripts/dist.py, run by the tests in this folder.
  packages.py check DIST_DIR EXE   the zip's contents, SHA256SUMS and the winget manifests
  packages.py bump EXE OUT         a copy of EXE whose file version has its third number one higher
                                   (a later build of the same program, for the upgrade test)"""
import hashlib
import os
import re
import struct
import sys
import zipfile

import yaml

SIGNATURE = struct.pack("<I", 0xFEEF04BD)
# What a winget manifest of each type must carry, as the manifest schema requires.
REQUIRED = {
    "version": ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType", "ManifestVersion"],
    "installer": ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType", "ManifestVersion"],
    "defaultLocale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName",
                      "License", "ShortDescription", "ManifestType", "ManifestVersion"],
}
problems = []


def expect(ok, text):
    if not ok:
        problems.append(text)


def version_fields(data):
    at = data.find(SIGNATURE)
    return at, struct.unpack_from("<II", data, at + 8)


def check(dist, exe):
    files = sorted(os.listdir(dist))
    msi = [f for f in files if re.fullmatch(r"Quorlin-\d+\.\d+\.\d+\.\d+\.msi", f)]
    expect(len(msi) == 1, f"one MSI expected in {files}")
    version = msi[0][len("Quorlin-"):-len(".msi")]
    portable = f"Quorlin-{version}-portable.zip"
    expect(files == sorted([msi[0], portable, "SHA256SUMS", "winget"]), f"unexpected files: {files}")

    with zipfile.ZipFile(os.path.join(dist, portable)) as z:
        expect(sorted(z.namelist()) == ["LICENSE.txt", "Quorlin.exe", "README.txt"], f"zip holds {z.namelist()}")
        packed = z.read("Quorlin.exe")
        if exe:
            expect(packed == open(exe, "rb").read(), "the zip's Quorlin.exe is not the build's")
        for text in ("README.txt", "LICENSE.txt"):
            body = z.read(text).decode("utf-8")
            expect(body.strip() and "\n" not in body.replace("\r\n", ""), f"{text}: empty or not CRLF")
        expect("## Install" in z.read("README.txt").decode(), "README.txt lacks the Install section")

    sums = open(os.path.join(dist, "SHA256SUMS")).read().splitlines()
    expect(len(sums) == 2, f"SHA256SUMS has {len(sums)} lines")
    for line in sums:
        digest, name = line.split("  ", 1)
        actual = hashlib.sha256(open(os.path.join(dist, name), "rb").read()).hexdigest()
        expect(digest == actual, f"SHA256SUMS: wrong sum for {name}")

    manifests = {}
    for name in os.listdir(os.path.join(dist, "winget")):
        doc = yaml.safe_load(open(os.path.join(dist, "winget", name), encoding="utf-8"))
        manifests[doc.get("ManifestType")] = doc
    expect(sorted(manifests) == sorted(REQUIRED), f"manifest types: {sorted(manifests)}")
    for kind, doc in manifests.items():
        for field in REQUIRED.get(kind, []):
            expect(doc.get(field) not in (None, "", []), f"winget {kind}: no {field}")
        expect(doc.get("PackageVersion") == version, f"winget {kind}: version {doc.get('PackageVersion')}")
        expect(re.fullmatch(r"\d+\.\d+\.\d+", str(doc.get("ManifestVersion"))), f"winget {kind}: ManifestVersion")
    ids = {doc.get("PackageIdentifier") for doc in manifests.values()}
    expect(len(ids) == 1 and re.fullmatch(r"[^.\s]+\.[^\s]+", ids.pop() or ""), f"winget identifiers: {ids}")
    installers = manifests.get("installer", {}).get("Installers") or [{}]
    msi_sum = hashlib.sha256(open(os.path.join(dist, msi[0]), "rb").read()).hexdigest()
    for inst in installers:
        expect(str(inst.get("InstallerSha256", "")).lower() == msi_sum, "winget: InstallerSha256 is not the MSI's")
        expect(str(inst.get("InstallerUrl", "")).startswith("https://")
               and inst["InstallerUrl"].endswith("/" + msi[0]), f"winget: InstallerUrl {inst.get('InstallerUrl')}")
        expect(inst.get("Architecture") == "x86", "winget: Architecture")
    expect(manifests.get("installer", {}).get("Scope") == "user", "winget: Scope")


def bump(exe, out):
    data = bytearray(open(exe, "rb").read())
    at, (ms, ls) = version_fields(data)
    if at < 0:
        sys.exit(f"{exe}: no version information")
    struct.pack_into("<II", data, at + 8, ms, ls + 0x10000)
    struct.pack_into("<II", data, at + 16, ms, ls + 0x10000)  # the product version alike
    os.makedirs(os.path.dirname(out), exist_ok=True)
    open(out, "wb").write(data)


if __name__ == "__main__":
    if sys.argv[1] == "check":
        check(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else None)
    else:
        bump(sys.argv[2], sys.argv[3])
    for p in problems:
        print("FAIL:", p)
    sys.exit(1 if problems else 0)
