#!/usr/bin/env bash
# The Debian package on this machine: builds it from the build tree, checks its contents and
# lintian's verdict, installs it, runs the programs as a fresh user who never registered anything,
# checks the workspace file type, and purges it again, leaving no registration behind.
# Installs into the system, so it runs only when asked (CORVANE_PACKAGE_TEST=1, as root).
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build="$1"
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "${CORVANE_PACKAGE_TEST:-}" = 1 ] || skip "set CORVANE_PACKAGE_TEST=1 to install the package here"
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
if dpkg-query -W -f='${Status}' corvane 2>/dev/null | grep -q 'installed'; then
    skip "a corvane package is already installed on this machine"
fi

# The machine-wide store and the users' stores are the real ones here.
unset CORVANE_MACHINE_REGISTRY CORVANE_REGISTRY
scratch="$(mktemp -d)"
chmod 755 "$scratch"
cleanup() {
    dpkg --purge corvane >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap cleanup EXIT

cpack --config "$build/CPackConfig.cmake" -B "$scratch/package" >"$scratch/cpack.log" 2>&1 \
    || { cat "$scratch/cpack.log"; fail "cpack"; }
deb="$(ls "$scratch"/package/corvane_*.deb)"

# Contents: programs and libraries in the program folder, commands on the path, the help, the
# demo boards, desktop integration and manual pages.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$scratch/contents"
for path in /usr/lib/corvane/corvane /usr/lib/corvane/cvk /usr/lib/corvane/libcvkserver.so \
    /usr/lib/corvane/libmodweave.so /usr/lib/corvane/cvtool.chm /usr/bin/cvk /usr/bin/corvane \
    /usr/share/corvane/samples/demo.cvk /usr/share/applications/corvane.desktop \
    /usr/share/mime/packages/corvane-workspace.xml /usr/share/icons/hicolor/scalable/apps/corvane.svg \
    /usr/share/metainfo/com.halvex.corvane.metainfo.xml /usr/share/man/man1/cvk.1.gz \
    /usr/share/man/man1/cvkgen.1.gz /usr/share/man/man1/cvkreg.1.gz /usr/share/doc/corvane/copyright; do
    grep -qx "$path" "$scratch/contents" || fail "the package lacks $path"
done
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "dependencies not found by shlibdeps"
[ "$(dpkg-deb -f "$deb" Version)" = "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ] \
    || fail "package version is not the project's"
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 \
        || { cat "$scratch/lintian.log"; fail "lintian"; }
fi

dpkg -i "$deb" >"$scratch/install.log" 2>&1 || { cat "$scratch/install.log"; fail "dpkg -i"; }
grep -q 'libcvkserver.so' /var/lib/corvane/registry || fail "engine not registered machine-wide"
grep -qx 'Location=/usr/lib/corvane' "/etc/xdg/HALVEX/Halvex(R) Corvane.conf" \
    || fail "install location not recorded"

# A user who never registered anything: no store of their own, empty HOME, no CORVANE_*.
home="$scratch/home"
mkdir -p "$home"
chown nobody "$home"
as_fresh_user() {
    runuser -u nobody -- env -i HOME="$home" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen "$@"
}
as_fresh_user corvane --version | grep -qx 'corvane 2.10.0.0012' || fail "corvane --version"
as_fresh_user cvk new /usr/share/corvane/samples/demo.cvk --out "$home/demo.cvw" \
    >"$scratch/new.log" 2>&1 || { cat "$scratch/new.log"; fail "cvk new as a fresh user"; }
grep -q 'registered' "$scratch/new.log" && fail "cvk registered the engine itself"
[ ! -e "$home/.config/corvane/registry" ] || fail "a user store was written"
as_fresh_user man -w cvk >/dev/null || fail "man cvk"
type="$(as_fresh_user xdg-mime query filetype "$home/demo.cvw")"
[ "$type" = application/x-corvane-workspace ] || fail "workspace file type is $type"

dpkg --purge corvane >"$scratch/purge.log" 2>&1 || { cat "$scratch/purge.log"; fail "purge"; }
[ ! -e /var/lib/corvane ] || fail "registration store left behind"
[ ! -e "/etc/xdg/HALVEX/Halvex(R) Corvane.conf" ] || fail "install location left behind"
[ ! -e /usr/lib/corvane ] || fail "program folder left behind"
echo "package ok: $(basename "$deb")"
