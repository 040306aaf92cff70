# The manifests through which Windows users install with winget and Scoop,
# made from the packages in a dist folder and their SHA256SUMS (sourced by
# scripts/package.sh, not run):
#
#   winget/Marlowick.Quenby.yaml                  the version manifest
#   winget/Marlowick.Quenby.installer.yaml        the setups (nullsoft, /S) and the MSI (wix)
#   winget/Marlowick.Quenby.locale.en-US.yaml     the default locale: names and descriptions
#   scoop/quenby.json                             the portable zips
#
# winget's multi-file manifest schema 1.10.0 and Scoop's app manifest; the
# package tests validate them against both schemas. Nothing in them depends
# on where or when they are made: the same packages give the same bytes.

readonly MANIFEST_ID="Marlowick.Quenby"
readonly MANIFEST_VERSION="1.10.0"
readonly MANIFEST_PUBLISHER="Marlowick software"
readonly MANIFEST_HOMEPAGE="http://www.marlowick.com/"
readonly MANIFEST_LICENSE="Freeware"
readonly MANIFEST_SUMMARY="A small privacy cleaner for one Windows user"
readonly MANIFEST_DESCRIPTION="Quenby removes the usage traces you choose: recent documents, browser history, cookies and form data, Explorer's lists, temporary files and the recycle bin. It can clean at shutdown or on a schedule, and comes with QuenbyCmd for scripts."
# The nullsoft setups' uninstall entry, which winget matches to the package.
readonly MANIFEST_ARP_KEY="Quenby"

# sha_of DIST FILE: the file's SHA-256 as SHA256SUMS lists it, upper case
# (winget's form); nothing when the file was not made.
sha_of() { awk -v f="$2" '$2 == f { print toupper($1) }' "$1/SHA256SUMS"; }

# The first and the last lines of each winget manifest of TYPE.
manifest_schema_line() { echo "# yaml-language-server: \$schema=https://aka.ms/winget-manifest.$1.$MANIFEST_VERSION.schema.json"; }
manifest_footer() { printf 'ManifestType: %s\nManifestVersion: %s\n' "$1" "$MANIFEST_VERSION"; }

# winget_installer ARCH TYPE FILE SHA [PRODUCT_CODE UPGRADE_CODE]: one entry of Installers.
winget_installer() {
    printf -- '- Architecture: %s\n  InstallerType: %s\n  Scope: machine\n' "$1" "$2"
    printf '  InstallerUrl: %s/%s/%s\n  InstallerSha256: %s\n' "$url" "$version" "$3" "$4"
    if [ "$2" = nullsoft ]; then
        # The setup asks for administrator rights itself, and installs over an
        # earlier copy in place.
        printf '  InstallerSwitches:\n    Silent: /S\n    SilentWithProgress: /S\n'
        printf '  ElevationRequirement: elevatesSelf\n  ProductCode: %s\n' "$MANIFEST_ARP_KEY"
    else
        printf "  ProductCode: '%s'\n  AppsAndFeaturesEntries:\n  - UpgradeCode: '%s'\n" "$5" "$6"
    fi
}

write_winget() {
    local out=$1/winget sha
    mkdir -p "$out"
    { manifest_schema_line version
      printf 'PackageIdentifier: %s\nPackageVersion: %s\nDefaultLocale: en-US\n' "$MANIFEST_ID" "$version"
      manifest_footer version; } >"$out/$MANIFEST_ID.yaml"
    { manifest_schema_line installer
      printf 'PackageIdentifier: %s\nPackageVersion: %s\n' "$MANIFEST_ID" "$version"
      # Both installers replace an earlier version in place (the MSI by its
      # upgrade code): winget installs over it.
      printf "UpgradeBehavior: install\nReleaseDate: '%s'\nInstallers:\n" \
          "$(date -u -d "@$SOURCE_DATE_EPOCH" +%F)"
      sha=$(sha_of "$1" "Quenby-$version-win64-setup.exe")
      [ -z "$sha" ] || winget_installer x64 nullsoft "Quenby-$version-win64-setup.exe" "$sha"
      sha=$(sha_of "$1" "Quenby-$version-win32-setup.exe")
      [ -z "$sha" ] || winget_installer x86 nullsoft "Quenby-$version-win32-setup.exe" "$sha"
      sha=$(sha_of "$1" "Quenby-$version-win64.msi")
      [ -z "$sha" ] || winget_installer x64 wix "Quenby-$version-win64.msi" "$sha" "$product_code" "$upgrade"
      manifest_footer installer; } >"$out/$MANIFEST_ID.installer.yaml"
    { manifest_schema_line defaultLocale
      printf 'PackageIdentifier: %s\nPackageVersion: %s\nPackageLocale: en-US\n' "$MANIFEST_ID" "$version"
      printf 'Publisher: %s\nPublisherUrl: %s\nPackageName: Quenby\nPackageUrl: %s\n' \
          "$MANIFEST_PUBLISHER" "$MANIFEST_HOMEPAGE" "$MANIFEST_HOMEPAGE"
      printf 'License: %s\nShortDescription: "%s"\nDescription: "%s"\nMoniker: quenby\n' \
          "$MANIFEST_LICENSE" "$MANIFEST_SUMMARY" "$MANIFEST_DESCRIPTION"
      printf 'Tags:\n- privacy\n- cleaner\n- history\n- cookies\n'
      manifest_footer defaultLocale; } >"$out/$MANIFEST_ID.locale.en-US.yaml"
}

# scoop_arch ARCH BITS: one entry of "architecture", or nothing when that zip
# was not made; $version may stand for the version (autoupdate's template).
scoop_arch() {
    local zip="Quenby-$3-$1" sha
    sha=$(sha_of "$dist_dir" "Quenby-$version-$1.zip" | tr A-F a-f)
    [ -n "$sha" ] || return 0
    printf '        "%s": {\n            "url": "%s/%s/%s.zip",\n' "$2" "$url" "$3" "$zip"
    [ "$4" = template ] || printf '            "hash": "%s",\n' "$sha"
    printf '            "extract_dir": "%s"\n        }' "$zip"
}

# scoop_architectures VERSION [template]: the "architecture" object's entries.
scoop_architectures() {
    local entries=() entry
    entry=$(scoop_arch win64 64bit "$1" "${2:-}")
    [ -z "$entry" ] || entries+=("$entry")
    entry=$(scoop_arch win32 32bit "$1" "${2:-}")
    [ -z "$entry" ] || entries+=("$entry")
    printf '%s' "${entries[0]}"
    [ ${#entries[@]} -lt 2 ] || printf ',\n%s' "${entries[1]}"
}

write_scoop() {
    mkdir -p "$1/scoop"
    cat >"$1/scoop/quenby.json" <<EOF
{
    "version": "$version",
    "description": "$MANIFEST_SUMMARY",
    "homepage": "$MANIFEST_HOMEPAGE",
    "license": "$MANIFEST_LICENSE",
    "architecture": {
$(scoop_architectures "$version")
    },
    "bin": "QuenbyCmd.exe",
    "shortcuts": [
        [
            "Quenby.exe",
            "Quenby"
        ]
    ],
    "checkver": {
        "url": "$url/",
        "regex": "Quenby-([\\\\d.]+)-win64\\\\.zip"
    },
    "autoupdate": {
        "architecture": {
$(scoop_architectures '$version' template | sed 's/^/    /')
        },
        "hash": {
            "url": "\$baseurl/SHA256SUMS"
        }
    }
}
EOF
}

# write_manifests DIST VERSION RELEASE_URL PRODUCT_CODE UPGRADE_CODE
write_manifests() {
    local dist_dir=$1 version=$2 url=$3 product_code=$4 upgrade=$5
    write_winget "$dist_dir"
    write_scoop "$dist_dir"
    echo "  made winget/ and scoop/ manifests"
}
