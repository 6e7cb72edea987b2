#!/usr/bin/python3
"""Checks the winget and Scoop manifests of a release against their schemas
(third_party/, offline) and against the zips beside them:

  tools/release/check-manifests.py DIST

DIST holds the zips, BUILDINFO, winget/*.yaml and scoop/*.json, as
tools/release/release.sh --url writes them. Each fault is printed; any fault exits 1.
"""
import hashlib
import json
import pathlib
import re
import sys

import jsonschema
import yaml

ROOT = pathlib.Path(__file__).resolve().parents[2]
WINGET_SCHEMAS = ROOT / "third_party" / "winget-schemas-1.12.0"
SCOOP_SCHEMA = ROOT / "third_party" / "scoop-schema" / "schema.json"
MANIFEST_VERSION = "1.12.0"
# Zip name ending -> winget and Scoop architecture
ARCHES = {"win32": ("x86", "32bit"), "win64": ("x64", "64bit")}
# Windows' own convert.exe (System32, first on PATH) would run instead.
FORBIDDEN_COMMAND = "convert"


class Faults(list):
    def add(self, where, what):
        self.append(f"{where}: {what}")


def schema_faults(faults, where, document, schema_path):
    schema = json.loads(schema_path.read_text(encoding="utf-8"))
    for error in sorted(jsonschema.Draft7Validator(schema).iter_errors(document), key=str):
        path = "/".join(str(p) for p in error.absolute_path) or "(top)"
        faults.add(where, f"schema {schema_path.name}: {path}: {error.message}")


def zip_of_url(faults, where, url, base_arch, zips):
    """The zip in DIST that URL names, checked to be the one for its architecture."""
    name = url.rsplit("/", 1)[-1]
    if name not in zips:
        faults.add(where, f"{url} names no zip of this release ({', '.join(sorted(zips))})")
        return None
    if not name.endswith(f"-{base_arch}.zip"):
        faults.add(where, f"{url} is not the {base_arch} zip")
    return zips[name]


def command_faults(faults, where, name):
    if name is None:
        return
    if name.lower().removesuffix(".exe") == FORBIDDEN_COMMAND:
        faults.add(where, f"the command alias is {name!r}: Windows' own convert.exe comes first on PATH")


def check_winget(faults, dist, version, zips):
    folder = dist / "winget"
    docs = {}
    for path in sorted(folder.glob("*.yaml")):
        where = f"winget/{path.name}"
        try:
            doc = yaml.safe_load(path.read_text(encoding="utf-8"))
        except yaml.YAMLError as error:
            faults.add(where, f"not YAML: {error}")
            continue
        if not isinstance(doc, dict):
            faults.add(where, "not a mapping")
            continue
        kind = doc.get("ManifestType")
        if kind not in ("version", "installer", "defaultLocale", "locale"):
            faults.add(where, f"ManifestType {kind!r} is none of version, installer, defaultLocale, locale")
            continue
        schema_faults(faults, where, doc, WINGET_SCHEMAS / f"manifest.{kind}.{MANIFEST_VERSION}.json")
        # The schema takes any x.y.z; the community repository takes this one.
        if doc.get("ManifestVersion") != MANIFEST_VERSION:
            faults.add(where, f"ManifestVersion is {doc.get('ManifestVersion')!r}, want {MANIFEST_VERSION!r}")
        if doc.get("PackageVersion") != version:
            faults.add(where, f"PackageVersion is {doc.get('PackageVersion')!r}, BUILDINFO says {version!r}")
        docs.setdefault(kind, []).append((where, doc))

    missing = [kind for kind in ("version", "installer", "defaultLocale") if len(docs.get(kind, [])) != 1]
    for kind in missing:
        faults.add("winget/", f"want one {kind} manifest, found {len(docs.get(kind, []))}")
    if missing:
        return None
    ids = {doc.get("PackageIdentifier") for entries in docs.values() for _, doc in entries}
    if len(ids) != 1:
        faults.add("winget/", f"the manifests name different packages: {sorted(map(str, ids))}")
    (_, version_doc), = docs["version"]
    (_, default_doc), = docs["defaultLocale"]
    if version_doc.get("DefaultLocale") != default_doc.get("PackageLocale"):
        faults.add("winget/", f"DefaultLocale {version_doc.get('DefaultLocale')!r} has no defaultLocale manifest")
    locales = {doc.get("PackageLocale") for _, doc in docs.get("locale", [])}
    if default_doc.get("PackageLocale") != "zh-CN" or "en-US" not in locales:
        faults.add("winget/", "want the default locale zh-CN and a locale en-US")

    (where, installer), = docs["installer"]
    entries = installer.get("Installers") or []

    def setting(entry, key):  # an installer's own value, else the manifest's
        return entry.get(key, installer.get(key))

    seen = {}
    for entry in entries:
        arch = entry.get("Architecture")
        base_arch = {w: b for b, (w, _) in ARCHES.items()}.get(arch)
        if base_arch is None:
            faults.add(where, f"an installer for {arch!r}: want x86 and x64 only")
            continue
        seen[arch] = True
        if setting(entry, "InstallerType") != "zip" or setting(entry, "NestedInstallerType") != "portable":
            faults.add(where, f"{arch}: want InstallerType zip with NestedInstallerType portable")
        if str(setting(entry, "MinimumOSVersion")) != "6.1":
            faults.add(where, f"{arch}: MinimumOSVersion is {setting(entry, 'MinimumOSVersion')!r}, want '6.1'")
        zip_path = zip_of_url(faults, where, str(entry.get("InstallerUrl")), base_arch, zips)
        if zip_path is None:
            continue
        actual = hashlib.sha256(zip_path.read_bytes()).hexdigest()
        if str(entry.get("InstallerSha256", "")).lower() != actual:
            faults.add(where, f"{arch}: InstallerSha256 {entry.get('InstallerSha256')} is not {zip_path.name}'s ({actual})")
        nested = setting(entry, "NestedInstallerFiles") or []
        if not nested:
            faults.add(where, f"{arch}: no NestedInstallerFiles")
        for item in nested:
            if item.get("RelativeFilePath") != "convert.exe":
                faults.add(where, f"{arch}: NestedInstallerFiles names {item.get('RelativeFilePath')!r}, the zip holds convert.exe")
            command_faults(faults, f"{where}: {arch}", item.get("PortableCommandAlias"))
            if not item.get("PortableCommandAlias"):
                faults.add(where, f"{arch}: no PortableCommandAlias: winget would name the command convert")
        for command in setting(entry, "Commands") or []:
            command_faults(faults, f"{where}: {arch}: Commands", command)
    for arch in ("x86", "x64"):
        if arch not in seen:
            faults.add(where, f"no {arch} installer")
    return {e.get("Architecture"): e.get("InstallerUrl") for e in entries}


def check_scoop(faults, dist, version, zips, winget_urls):
    paths = sorted((dist / "scoop").glob("*.json"))
    if len(paths) != 1:
        faults.add("scoop/", f"want one manifest, found {len(paths)}")
        return
    path = paths[0]
    where = f"scoop/{path.name}"
    try:
        doc = json.loads(path.read_text(encoding="utf-8"))
    except json.JSONDecodeError as error:
        faults.add(where, f"not JSON: {error}")
        return
    schema_faults(faults, where, doc, SCOOP_SCHEMA)
    if not isinstance(doc, dict):
        return
    if doc.get("version") != version:
        faults.add(where, f"version is {doc.get('version')!r}, BUILDINFO says {version!r}")
    command_faults(faults, where, path.stem)
    arches = doc.get("architecture") or {}
    templates = ((doc.get("autoupdate") or {}).get("architecture")) or {}
    for base_arch, (winget_arch, scoop_arch) in ARCHES.items():
        entry = arches.get(scoop_arch)
        if not isinstance(entry, dict):
            faults.add(where, f"no architecture.{scoop_arch}")
            continue
        url = str(entry.get("url"))
        zip_path = zip_of_url(faults, where, url, base_arch, zips)
        if zip_path is not None:
            actual = hashlib.sha256(zip_path.read_bytes()).hexdigest()
            if str(entry.get("hash", "")).lower().removeprefix("sha256:") != actual:
                faults.add(where, f"{scoop_arch}: hash {entry.get('hash')} is not {zip_path.name}'s ({actual})")
        if winget_urls is not None and winget_urls.get(winget_arch) != url:
            faults.add(where, f"{scoop_arch}: url {url} is not winget's {winget_arch} InstallerUrl")
        template = (templates.get(scoop_arch) or {}).get("url")
        if not template or template.replace("$version", version) != url:
            faults.add(where, f"autoupdate {scoop_arch} url {template!r} does not give {url} for {version}")
    bins = doc.get("bin") or []
    if not bins:
        faults.add(where, "no bin shim")
    for item in bins if isinstance(bins, list) else [bins]:
        item = item if isinstance(item, list) else [item]
        # ["convert.exe", "alias", ...]: the shim is the alias, or else the program's own name.
        command_faults(faults, f"{where}: bin", item[1] if len(item) > 1 else pathlib.PurePath(item[0]).name)
    if not doc.get("shortcuts"):
        faults.add(where, "no shortcuts: a GUI app gets a Start-menu entry")
    if not doc.get("checkver"):
        faults.add(where, "no checkver")
    hash_rule = (doc.get("autoupdate") or {}).get("hash") or {}
    if not str(hash_rule.get("url", "")).endswith("/SHA256SUMS"):
        faults.add(where, f"autoupdate takes its hashes from {hash_rule.get('url')!r}, not the release's SHA256SUMS")


def main(argv):
    if len(argv) != 1:
        sys.exit(__doc__)
    dist = pathlib.Path(argv[0])
    faults = Faults()
    buildinfo = (dist / "BUILDINFO").read_text(encoding="utf-8") if (dist / "BUILDINFO").is_file() else ""
    match = re.search(r"^version: (\S+)$", buildinfo, re.M)
    if not match:
        sys.exit(f"check-manifests.py: {dist}/BUILDINFO names no version")
    version = match.group(1)
    zips = {p.name: p for p in dist.glob(f"convert-{version}-*.zip")}
    winget_urls = check_winget(faults, dist, version, zips)
    check_scoop(faults, dist, version, zips, winget_urls)
    for fault in faults:
        print(f"FAIL {fault}")
    if faults:
        return 1
    print(f"ok manifests: winget {MANIFEST_VERSION} (version, installer, locales) and Scoop valid against "
          f"their schemas; urls and hashes match the zips; no command named {FORBIDDEN_COMMAND}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
