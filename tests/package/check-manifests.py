"""Checks the winget and Scoop manifests of a dist folder, as their catalogues
would take them:

    check-manifests.py DIST SCHEMA_DIR

- each of winget's three manifests validates against its official JSON schema
  (1.10.0), and the three agree on the package, its version and its locale;
- Scoop's manifest validates against Scoop's official schema;
- every download a manifest names is in DIST, and the SHA-256 it gives is that
  of the file; each zip holds the programs Scoop puts on the PATH and in the
  Start menu, in the folder the manifest extracts.

Prints one line per check ("ok" or "FAIL"), and exits 1 when one fails. Run
with Debian's Python (python3-yaml, python3-jsonschema)."""

import hashlib
import json
import os
import sys
import zipfile

import jsonschema
import yaml

WINGET = "Marlowick.Quenby"
WINGET_FILES = {
    "version": WINGET + ".yaml",
    "installer": WINGET + ".installer.yaml",
    "defaultLocale": WINGET + ".locale.en-US.yaml",
}
SCHEMA_VERSION = "1.10.0"
failures = 0


def check(what, ok, detail=""):
    global failures
    print(("  ok    " if ok else "  FAIL  ") + what + ("" if ok else ": " + detail))
    failures += 0 if ok else 1


def schema_errors(document, schema_path):
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    validator = jsonschema.Draft7Validator(schema)
    return "; ".join(
        "/".join(map(str, e.path)) + ": " + e.message for e in validator.iter_errors(document)
    )


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def download_matches(dist, url, sha):
    path = os.path.join(dist, url.rsplit("/", 1)[1])
    if not os.path.isfile(path):
        return "no " + path
    actual = sha256(path)
    return "" if actual == sha.lower() else "%s has %s, the manifest says %s" % (path, actual, sha)


def check_winget(dist, schemas):
    manifests = {}
    for kind, name in WINGET_FILES.items():
        with open(os.path.join(dist, "winget", name), encoding="utf-8") as f:
            manifests[kind] = yaml.safe_load(f)
        schema = os.path.join(schemas, "winget-%s-%s.json" % (kind, SCHEMA_VERSION))
        errors = schema_errors(manifests[kind], schema)
        check("winget %s manifest valid" % kind, not errors, errors)
    same = {(m["PackageIdentifier"], m["PackageVersion"], m["ManifestVersion"])
            for m in manifests.values()}
    check("winget manifests name one package and version", len(same) == 1, str(same))
    check("winget default locale is the version manifest's",
          manifests["version"]["DefaultLocale"] == manifests["defaultLocale"]["PackageLocale"])
    installers = manifests["installer"]["Installers"]
    kinds = sorted((i["InstallerType"], i["Architecture"]) for i in installers)
    check("winget installers: a setup per build and the MSI",
          kinds == [("nullsoft", "x64"), ("nullsoft", "x86"), ("wix", "x64")], str(kinds))
    for installer in installers:
        problem = download_matches(dist, installer["InstallerUrl"], installer["InstallerSha256"])
        check("winget %s: hash of the file" % installer["InstallerUrl"].rsplit("/", 1)[1],
              not problem, problem)


def check_scoop(dist, schemas):
    with open(os.path.join(dist, "scoop", "quenby.json"), encoding="utf-8") as f:
        manifest = json.load(f)
    errors = schema_errors(manifest, os.path.join(schemas, "scoop-schema.json"))
    check("Scoop manifest valid", not errors, errors)
    check("Scoop: both builds", sorted(manifest["architecture"]) == ["32bit", "64bit"])
    for bits, entry in sorted(manifest["architecture"].items()):
        problem = download_matches(dist, entry["url"], entry["hash"])
        check("Scoop %s: hash of the zip" % bits, not problem, problem)
        if problem:
            continue
        with zipfile.ZipFile(os.path.join(dist, entry["url"].rsplit("/", 1)[1])) as z:
            names = set(z.namelist())
        wanted = [manifest["bin"]] + [s[0] for s in manifest["shortcuts"]]
        missing = [w for w in wanted if entry["extract_dir"] + "/" + w not in names]
        check("Scoop %s: the zip holds %s" % (bits, ", ".join(wanted)), not missing, str(missing))


def main():
    dist, schemas = sys.argv[1], sys.argv[2]
    check_winget(dist, schemas)
    check_scoop(dist, schemas)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
