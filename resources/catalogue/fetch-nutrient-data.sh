#!/bin/sh
# Fetches the USDA National Nutrient Database for Standard Reference, release 24 (public
# domain), from the Debian package that carries it, and copies its archive to the given
# path. Only the data file is taken from the package; the package is never installed.
# A copy already at the path is kept, so rebuilds do not fetch again.
set -eu

target=$1
[ -s "$target" ] && exit 0

package=cronometer
member=usr/share/cronometer/usda_sr24.jar
work=$(mktemp -d "${TMPDIR:-/tmp}/pantrel-nutrient-data.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

cd "$work"
if ! apt-get download "$package" >/dev/null 2>download.log; then
    # A machine without package lists cannot download: fetch them, then try again.
    apt-get update -qq >/dev/null
    if ! apt-get download "$package" >/dev/null 2>download.log; then
        cat download.log >&2
        echo "Cannot download the Debian package $package, which carries the nutrient data." >&2
        exit 1
    fi
fi
dpkg-deb -x "$package"_*.deb unpacked
if [ ! -s "unpacked/$member" ]; then
    echo "The Debian package $package holds no $member." >&2
    exit 1
fi
mkdir -p "$(dirname "$target")"
cp "unpacked/$member" "$target.partial"
mv "$target.partial" "$target"
