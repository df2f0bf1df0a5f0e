#!/usr/bin/env python3
"""Builds the release packages from a built Quorlin.exe (make dist):
  Quorlin-<version>.msi            per-user installer (packaging/Quorlin.wxs, built with wixl)
  Quorlin-<version>-portable.zip   Quorlin.exe, README.txt, LICENSE.txt
  SHA256SUMS                       of the two
  winget/                          the version, installer and default-locale manifests of the MSI
The version is the executable's own file version, which the build takes from CMakeLists.txt.
With QUORLIN_SIGN_PKCS12 and QUORLIN_SIGN_PASSWORD set, Quorlin.exe (before it is packed) and the
MSI are Authenticode-signed with osslsigncode; otherwise both stay unsigned and one line says so.
QUORLIN_WEBSITE names the website host the downloads are published on (default: the build's).

Usage: dist.py [--exe build/win/Quorlin.exe] [--out dist]"""
import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PACKAGE_ID = "VENTARIS.Quorlin"
PUBLISHER = "VENTARIS Software"
SHORT_DESCRIPTION = "Blocks accidental touchpad clicks while you type."
MANIFEST_VERSION = "1.10.0"
FIXED_FILE_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def exe_version(path):
    """The four numbers of the executable's fixed file version information."""
    data = open(path, "rb").read()
    at = data.find(FIXED_FILE_INFO_SIGNATURE)
    if at < 0:
        sys.exit(f"dist: {path} has no version information")
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def website_host():
    host = os.environ.get("QUORLIN_WEBSITE", "")
    if not host:
        cache = os.path.join(ROOT, "build", "win", "CMakeCache.txt")
        if os.path.exists(cache):
            m = re.search(r"^QUORLIN_WEBSITE:STRING=(.*)$", open(cache).read(), re.M)
            host = m.group(1).strip() if m else ""
    if not re.fullmatch(r"[A-Za-z0-9.-]+(:[0-9]+)?", host or ""):
        sys.exit(f"dist: QUORLIN_WEBSITE must be a host name, not '{host}'")
    return host


def run(*cmd, **kw):
    subprocess.run(cmd, check=True, **kw)


def signer():
    """A function that signs a file in place, or None when no certificate is given."""
    pkcs12 = os.environ.get("QUORLIN_SIGN_PKCS12", "")
    password = os.environ.get("QUORLIN_SIGN_PASSWORD")
    if not pkcs12 or password is None:
        print("dist: QUORLIN_SIGN_PKCS12 and QUORLIN_SIGN_PASSWORD not set: Quorlin.exe and the MSI stay unsigned", flush=True)
        return None
    if not os.path.isfile(pkcs12):
        sys.exit(f"dist: QUORLIN_SIGN_PKCS12: no file {pkcs12}")

    def sign(path, description, url):
        # The password goes through a private file, never the command line.
        with tempfile.TemporaryDirectory() as tmp:
            secret = os.path.join(tmp, "pass")
            fd = os.open(secret, os.O_WRONLY | os.O_CREAT, 0o600)
            os.write(fd, password.encode())
            os.close(fd)
            signed = os.path.join(tmp, "signed")
            run("osslsigncode", "sign", "-pkcs12", pkcs12, "-readpass", secret, "-h", "sha256",
                "-n", description, "-i", url, "-in", path, "-out", signed, stdout=subprocess.DEVNULL)
            shutil.move(signed, path)
    return sign


def readme_text():
    """README.txt: the introduction and the "Install" section of README.md, without pictures, with
    Windows line ends so that every editor shows it."""
    md = open(os.path.join(ROOT, "README.md"), encoding="utf-8").read()
    sections = re.split(r"(?m)^(?=## )", md)
    keep = [sections[0]] + [s for s in sections[1:] if s.startswith("## Install\n")]
    text = "".join(keep)
    text = re.sub(r"(?m)^!\[.*\n\n?", "", text)
    return text.strip().replace("\n", "\r\n") + "\r\n"


def msi_product_code(msi):
    out = subprocess.run(["msiinfo", "export", msi, "Property"], check=True, capture_output=True, text=True).stdout
    m = re.search(r"^ProductCode\t(\S+)", out, re.M)
    if not m:
        sys.exit("dist: the MSI has no ProductCode")
    return m.group(1)


def sha256(path):
    return hashlib.sha256(open(path, "rb").read()).hexdigest()


def winget_manifests(folder, version, msi, host):
    name = os.path.basename(msi)
    common = f"PackageIdentifier: {PACKAGE_ID}\nPackageVersion: {version}\n"
    tail = f"ManifestVersion: {MANIFEST_VERSION}\n"
    files = {
        f"{PACKAGE_ID}.yaml": common + "DefaultLocale: en-US\nManifestType: version\n" + tail,
        f"{PACKAGE_ID}.installer.yaml": common
        + "InstallerType: wix\nScope: user\nUpgradeBehavior: install\n"
        + f"ProductCode: '{msi_product_code(msi)}'\n"
        + "Installers:\n- Architecture: x86\n"
        + f"  InstallerUrl: https://{host}/download/{name}\n"
        + f"  InstallerSha256: {sha256(msi).upper()}\n"
        + "ManifestType: installer\n" + tail,
        f"{PACKAGE_ID}.locale.en-US.yaml": common
        + "PackageLocale: en-US\n"
        + f"Publisher: {PUBLISHER}\nPublisherUrl: https://{host}/\n"
        + f"PackageName: Quorlin\nPackageUrl: https://{host}/\n"
        + f"License: Proprietary\nCopyright: (c) {PUBLISHER}\n"
        + f"ShortDescription: {SHORT_DESCRIPTION}\n"
        + "Moniker: quorlin\nTags:\n- touchpad\n- palm-rejection\n- tray\n"
        + "ManifestType: defaultLocale\n" + tail,
    }
    os.makedirs(folder, exist_ok=True)
    for file, text in files.items():
        with open(os.path.join(folder, file), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--exe", default=os.path.join(ROOT, "build", "win", "Quorlin.exe"))
    ap.add_argument("--out", default=os.path.join(ROOT, "dist"))
    args = ap.parse_args()

    version = exe_version(args.exe)
    host = website_host()
    sign = signer()
    out = os.path.abspath(args.out)
    if os.path.exists(out):
        shutil.rmtree(out)
    os.makedirs(out)

    with tempfile.TemporaryDirectory() as stage:
        exe = os.path.join(stage, "Quorlin.exe")
        shutil.copyfile(args.exe, exe)
        if sign:
            sign(exe, "Quorlin", f"https://{host}/")
        shutil.copyfile(os.path.join(ROOT, "src", "ui", "res", "Quorlin.ico"), os.path.join(stage, "Quorlin.ico"))

        # wixl takes the files named in the source from the folder it runs in.
        msi = os.path.join(out, f"Quorlin-{version}.msi")
        run("wixl", "-a", "x86", "-D", f"Version={version}",
            "-D", f"SizeKiB={(os.path.getsize(exe) + 1023) // 1024}", "-o", msi,
            os.path.join(ROOT, "packaging", "Quorlin.wxs"), cwd=stage, stderr=subprocess.DEVNULL)
        # An equal version (Windows Installer ignores the fourth number) replaces the installed one
        # as well, instead of installing beside it: the upgrade row's top version is made inclusive
        # (0x200), which wixl cannot say. The table goes out and back in as text.
        table = subprocess.run(["msiinfo", "export", msi, "Upgrade"], check=True,
                               capture_output=True).stdout.decode()
        rows = table.split("\r\n")
        for i, row in enumerate(rows[3:], 3):
            cells = row.split("\t")
            if len(cells) == 7 and cells[6] == "WIX_UPGRADE_DETECTED":
                cells[4] = str(int(cells[4]) | 0x200)
                rows[i] = "\t".join(cells)
        idt = os.path.join(stage, "Upgrade.idt")
        with open(idt, "w", newline="") as f:
            f.write("\r\n".join(rows))
        run("msibuild", msi, "-i", idt)
        if sign:
            sign(msi, f"Quorlin {version}", f"https://{host}/")

        portable = os.path.join(out, f"Quorlin-{version}-portable.zip")
        with zipfile.ZipFile(portable, "w", zipfile.ZIP_DEFLATED) as z:
            z.write(exe, "Quorlin.exe")
            z.writestr("README.txt", readme_text())
            z.writestr("LICENSE.txt", open(os.path.join(ROOT, "LICENSE.txt"), encoding="utf-8").read()
                       .replace("\r\n", "\n").replace("\n", "\r\n"))

    with open(os.path.join(out, "SHA256SUMS"), "w", newline="\n") as f:
        for path in (msi, portable):
            f.write(f"{sha256(path)}  {os.path.basename(path)}\n")
    winget_manifests(os.path.join(out, "winget"), version, msi, host)
    print(f"dist: {out}: Quorlin {version}{' (signed)' if sign else ''}")


if __name__ == "__main__":
    main()
