#!/usr/bin/python3
"""Writes the winget and Scoop manifests of a release, from package.toml and
the zips in dist/:

  tools/release/make-manifests.py DIST BASE VERSION EPOCH
      DIST/winget/<identifier>{,.installer,.locale.zh-CN,.locale.en-US}.yaml
      (winget 1.12.0, multi-file) and DIST/scoop/<command>.json. BASE is the
      folder the zips are downloaded from; EPOCH dates the release.
  tools/release/make-manifests.py --field KEY
      prints one value of the package's identity (homepage, command,
      locale.en-US.name, ...) for the shell scripts.

The output depends only on the arguments and the zips' bytes.
"""
import hashlib
import json
import pathlib
import re
import sys
import time
import tomllib

ROOT = pathlib.Path(__file__).resolve().parents[2]
MANIFEST_VERSION = "1.12.0"
# Zip name ending -> (winget Architecture, Scoop architecture)
ARCHES = {"win32": ("x86", "32bit"), "win64": ("x64", "64bit")}
SCHEMA_URL = "https://aka.ms/winget-manifest.{kind}.{version}.schema.json"


def identity():
    data = tomllib.loads((ROOT / "package.toml").read_text(encoding="utf-8"))
    source = (ROOT / "window" / "unit1.h").read_text(encoding="utf-8")
    match = re.search(r'HomePageAddress\s*=\s*L"([^"]+)"', source)
    if not match:
        sys.exit("make-manifests.py: no HomePageAddress in window/unit1.h")
    data["homepage"] = match.group(1)
    if not data["locale"]["en-US"]["name"].isascii():
        sys.exit("make-manifests.py: locale.en-US.name must be ASCII (it is the signature's description)")
    return data


def field(data, key):
    for part in key.split("."):
        data = data[part]
    return data


def scalar(value):
    # Every scalar double-quoted (JSON's string syntax is YAML's): a version
    # such as 1.10 or a date must not come back as a number or a date.
    return json.dumps(value, ensure_ascii=False)


def yaml_lines(mapping, indent=""):
    lines = []
    for key, value in mapping.items():
        if not isinstance(value, list):
            lines.append(f"{indent}{key}: {scalar(value)}")
            continue
        lines.append(f"{indent}{key}:")
        for item in value:
            if isinstance(item, dict):
                sub = yaml_lines(item, indent + "    ")
                lines += [f"{indent}  - {sub[0].lstrip()}", *sub[1:]]
            else:
                lines.append(f"{indent}  - {scalar(item)}")
    return lines


def yaml_document(kind, mapping):
    header = f"# yaml-language-server: $schema={SCHEMA_URL.format(kind=kind, version=MANIFEST_VERSION)}"
    return "\n".join([header, "", *yaml_lines(mapping)]) + "\n"


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


def scoop_updates(base, version, zip_name):
    """checkver and the autoupdate URL template, from where BASE keeps the version.

    A listing names releases oldest first, so checkver takes the last match."""
    if version not in base:
        # One folder for every release: its listing names the zips.
        pattern = re.escape(zip_name).replace(re.escape(version), r"([\d.]+)")
        return {"url": base + "/", "regex": pattern, "reverse": True}, base
    template = base.replace(version, "$version")
    github = re.match(r"https://github\.com/([^/]+/[^/]+)/releases/download/", base)
    if github:
        return {"github": f"https://github.com/{github.group(1)}"}, template
    # A folder per release: the parent's listing names the folders.
    head = base[: base.rindex(version)]
    parent, prefix = head.rsplit("/", 1)
    return {"url": parent + "/", "regex": f'href="(?:\\./)?{re.escape(prefix)}([\\d.]+)/"', "reverse": True}, template


def write(dist, base, version, epoch):
    ident = identity()
    base = base.rstrip("/")
    zips = {arch: dist / f"convert-{version}-{arch}.zip" for arch in ARCHES}
    for path in zips.values():
        if not path.is_file():
            sys.exit(f"make-manifests.py: {path} is missing")
    pid, alias, program = ident["identifier"], ident["command"], ident["program"]
    head = {"PackageIdentifier": pid, "PackageVersion": version}
    tail = {"ManifestVersion": MANIFEST_VERSION}
    release_date = time.strftime("%Y-%m-%d", time.gmtime(int(epoch)))

    docs = {
        f"{pid}.yaml": ("version", {**head, "DefaultLocale": ident["default_locale"],
                                    "ManifestType": "version", **tail}),
        f"{pid}.installer.yaml": ("installer", {
            **head,
            "InstallerType": "zip",
            "NestedInstallerType": "portable",
            "NestedInstallerFiles": [{"RelativeFilePath": program, "PortableCommandAlias": alias}],
            "MinimumOSVersion": "6.1",
            "ReleaseDate": release_date,
            "Installers": [{"Architecture": winget, "InstallerUrl": f"{base}/{zips[arch].name}",
                            "InstallerSha256": sha256(zips[arch]).upper()}
                           for arch, (winget, _) in ARCHES.items()],
            "ManifestType": "installer", **tail}),
    }
    for locale, text in ident["locale"].items():
        kind = "defaultLocale" if locale == ident["default_locale"] else "locale"
        doc = {**head, "PackageLocale": locale, "Publisher": text["publisher"], "PackageName": text["name"],
               "PackageUrl": ident["homepage"], "License": ident["license"],
               "ShortDescription": text["short_description"], "Description": text["description"]}
        if kind == "defaultLocale":
            doc["Moniker"] = alias
        docs[f"{pid}.locale.{locale}.yaml"] = (kind, {**doc, "Tags": text["tags"], "ManifestType": kind, **tail})

    winget_dir = dist / "winget"
    winget_dir.mkdir(exist_ok=True)
    for name, (kind, mapping) in docs.items():
        (winget_dir / name).write_text(yaml_document(kind, mapping), encoding="utf-8")

    zh, en = ident["locale"]["zh-CN"], ident["locale"]["en-US"]
    checkver, template = scoop_updates(base, version, zips["win32"].name)
    scoop = {
        "version": version,
        "description": f"{en['short_description']} ({zh['name']})",
        "homepage": ident["homepage"],
        "license": ident["license"],
        "architecture": {scoop_arch: {"url": f"{base}/{zips[arch].name}", "hash": sha256(zips[arch])}
                         for arch, (_, scoop_arch) in reversed(ARCHES.items())},
        "bin": [[program, alias]],
        "shortcuts": [[program, zh["name"]]],
        "checkver": checkver,
        "autoupdate": {
            "architecture": {scoop_arch: {"url": f"{template}/convert-$version-{arch}.zip"}
                             for arch, (_, scoop_arch) in reversed(ARCHES.items())},
            "hash": {"url": "$baseurl/SHA256SUMS", "regex": "$sha256\\s+$basename"},
        },
    }
    scoop_dir = dist / "scoop"
    scoop_dir.mkdir(exist_ok=True)
    (scoop_dir / f"{alias}.json").write_text(json.dumps(scoop, ensure_ascii=False, indent=4) + "\n",
                                             encoding="utf-8")


def main(argv):
    if len(argv) == 2 and argv[0] == "--field":
        print(field(identity(), argv[1]))
        return 0
    if len(argv) != 4 or not re.match(r"^https?://[^\s]+$", argv[1]):
        sys.exit(__doc__)
    write(pathlib.Path(argv[0]), argv[1], argv[2], argv[3])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
