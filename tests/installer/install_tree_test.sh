#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the tree: programs, libraries, help, desktop
# files, registration of the installed libraries, and that the installed programs run from there.
# Usage: install_tree_test.sh BUILD_DIR WITH_GUI(0|1)
set -euo pipefail
build="$1"
with_gui="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
expect_file() { [ -f "$1" ] || fail "missing $1"; }

prefix="$scratch/prefix"
export CORVANE_REGISTRY="$scratch/registry"
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 \
    || { cat "$scratch/install.log"; fail "cmake --install"; }

# The command names in bin/ lead into the one program folder.
[ -L "$prefix/bin/cvk" ] || fail "bin/cvk is not a link"
programs="$(dirname "$(readlink -f "$prefix/bin/cvk")")"
case "$programs" in "$prefix"/*) ;; *) fail "bin/cvk leads out of the prefix: $programs" ;; esac
names="cvk cvkgen cvkreg setupaid-probe"
[ "$with_gui" = 1 ] && names="corvane $names"
for name in $names; do
    [ -x "$programs/$name" ] || fail "missing program $name"
    [ "$(readlink -f "$prefix/bin/$name")" = "$programs/$name" ] || fail "bin/$name link"
done
for library in libcorvane_com.so libcvkserver.so libmodweave.so libsetupaid.so; do
    expect_file "$programs/$library"
done
expect_file "$prefix/share/corvane/samples/demo.cvk"

# Installed programs look only beside themselves, never into the build tree.
for file in "$programs"/*; do
    if readelf -d "$file" 2>/dev/null | grep -F "$build" >/dev/null; then
        fail "$file still searches the build tree"
    fi
done

# The registration names the installed libraries, and the installed cvk creates the engine
# through it.
grep -F "$programs/libcvkserver.so" "$CORVANE_REGISTRY" >/dev/null || fail "engine not registered"
grep -F "$programs/libmodweave.so" "$CORVANE_REGISTRY" >/dev/null || fail "modules not registered"
if grep -F "$build" "$CORVANE_REGISTRY" >/dev/null; then fail "registry names the build tree"; fi
version="$(env -u LD_LIBRARY_PATH "$prefix/bin/cvk" --version)" || fail "installed cvk --version"
echo "$version"
"$prefix/bin/cvkreg" --version >/dev/null || fail "installed cvkreg --version"
"$prefix/bin/setupaid-probe" --help >/dev/null || fail "installed setupaid-probe --help"

if [ "$with_gui" = 1 ]; then
    expect_file "$programs/cvtool.chm"
    [ "$(head -c 4 "$programs/cvtool.chm")" = "ITSF" ] || fail "cvtool.chm is not a compiled help file"
    desktop="$prefix/share/applications/corvane.desktop"
    expect_file "$desktop"
    grep -qx "Exec=corvane %f" "$desktop" || fail "desktop entry Exec"
    grep -qx "MimeType=application/x-corvane-workspace;" "$desktop" || fail "desktop MimeType"
    mime="$prefix/share/mime/packages/corvane-workspace.xml"
    expect_file "$mime"
    grep -qF '<glob pattern="*.cvw"/>' "$mime" || fail "mime glob"
    grep -qF '<comment>Halvex Corvane Workspace</comment>' "$mime" || fail "mime comment"
    QT_QPA_PLATFORM=offscreen "$prefix/bin/corvane" --version | grep -q "^corvane 2.10.0.0012$" \
        || fail "installed corvane --version"
fi

# A staged install puts the same tree under DESTDIR and registers nothing, since the staged
# libraries are not yet where a registration would point.
export CORVANE_REGISTRY="$scratch/staged-registry"
DESTDIR="$scratch/stage" cmake --install "$build" --prefix /opt/corvane >"$scratch/stage.log" 2>&1 \
    || { cat "$scratch/stage.log"; fail "staged install"; }
[ -e "$scratch/stage/opt/corvane/bin/cvk" ] || fail "staged bin/cvk does not resolve"
[ ! -e "$CORVANE_REGISTRY" ] || fail "a staged install registered components"
echo "install tree ok"
