#!/usr/bin/env bash
# Builds the Debian package from the build tree with cpack, checks its control
# fields and has lintian check the whole package, installs it with dpkg into a
# scratch root, compares the files it put there with a plain `cmake --install`
# and runs the README's defect table from it; then removes it again.
# lintian is skipped where it is not installed, unless CI=true.
# Usage: deb_package_test.sh CPACK CMAKE BUILD_DIR VERSION
set -u
cpack=$1 cmake=$2 build=$3 version=$4

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (package $2)"; exit 1; }; }
need dpkg dpkg
need dpkg-deb dpkg

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

if ! "$cpack" -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" \
     >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
arch=$(dpkg --print-architecture)
deb=$scratch/out/kavtest_${version}_${arch}.deb
[ -f "$deb" ] || { ls -R "$scratch/out"; echo "FAIL: no $deb"; exit 1; }

# --- control fields ---------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kavtest ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = electronics ] || fail "Section is '$(field Section)'"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer is '$(field Maintainer)'"
description=$(field Description)
[[ $description == "defect-oriented testing of CMOS circuits"* ]] || fail "Description is '$description'"
[ "$(wc -l <<<"$description")" -gt 3 ] || fail "Description has no long part"
depends=$(field Depends)
for lib in libc6 libstdc++6; do
  [[ ", $depends," == *", $lib "* || ", $depends," == *", $lib,"* ]] ||
    fail "Depends '$depends' lacks $lib"
done

# --- lintian ---------------------------------------------------------------------
# No errors and no warnings, and no override in the package that could hide one.
if command -v lintian >/dev/null; then
  if ! lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1; then
    cat "$scratch/lintian.log"
    fail "lintian reports errors or warnings"
  fi
  if dpkg-deb -c "$deb" | grep -q 'usr/share/lintian/overrides'; then
    fail "the package carries lintian overrides"
  fi
elif [ "${CI:-}" = true ]; then
  fail "lintian is missing (package lintian); CI=true needs the lintian check"
else
  echo "SKIP: lintian check, lintian is not installed (package lintian)"
fi

# --- install into a scratch root ------------------------------------------------
root=$scratch/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/log"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
# Minimal systems exclude /usr/share/doc from dpkg's unpacking; the package's
# documentation is part of what is checked here.
dpkg_root() {
  dpkg --root="$root" --log="$root/var/log/dpkg.log" --force-not-root \
       --force-depends --force-script-chrootless --path-include='/usr/share/doc/kavtest/*' "$@"
}
if ! dpkg_root -i "$deb" >"$scratch/dpkg.log" 2>&1; then
  cat "$scratch/dpkg.log"
  echo "FAIL: dpkg -i"
  exit 1
fi
dpkg-query --admindir="$root/var/lib/dpkg" -W -f '${Status}\n' kavtest | grep -q 'install ok installed' ||
  fail "dpkg does not record kavtest as installed"

# The package's files, as dpkg recorded them and as they stand in the root,
# against a plain install of the build tree under /usr.
"$cmake" --install "$build" --prefix "$scratch/plain/usr" >/dev/null 2>&1 || fail "cmake --install"
plain=$(cd "$scratch/plain" && find . ! -type d | sed 's|^\.||' | sort)
in_root=$(cd "$root" && find ./usr ! -type d | sed 's|^\.||' | sort)
recorded=$(dpkg-query --admindir="$root/var/lib/dpkg" -L kavtest |
           while IFS= read -r p; do [ -d "$root$p" ] || echo "$p"; done | sort)
in_deb=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\.||' | sort)
[ "$plain" = "$in_root" ] || fail "installed package differs from cmake --install:
$(diff <(echo "$plain") <(echo "$in_root"))"
[ "$plain" = "$recorded" ] || fail "dpkg's file list differs from cmake --install:
$(diff <(echo "$plain") <(echo "$recorded"))"
[ "$plain" = "$in_deb" ] || fail "dpkg-deb -c differs from cmake --install:
$(diff <(echo "$plain") <(echo "$in_deb"))"

# Nothing in the package is writable by others, and the tool runs from it.
world_writable=$(find "$root/usr" -perm -o+w ! -type l)
[ -z "$world_writable" ] || fail "world-writable files: $world_writable"
[ "$("$root/usr/bin/kavtest" -list -quiet | wc -l)" -eq 18 ] || fail "packaged kavtest does not list 18 circuits"

# The README's defect table, run as an installed package's user does: the
# packaged kavtest-sim on the packaged example, the result in a working directory.
if [ -x "$root/usr/bin/kavtest-sim" ]; then
  mkdir -p "$scratch/work"
  if (cd "$scratch/work" && "$root/usr/bin/kavtest-sim" -quiet -all_defects -circuit 16 \
        -tst c17-result.tst "$root/usr/share/doc/kavtest/examples/16-C17-shorts.tst"); then
    coverage=$(tail -n 1 "$scratch/work/c17-result.tst")
    [ "$coverage" = "63 / 126 = 50.000000 %" ] || fail "packaged walk-through gives coverage '$coverage'"
  else
    fail "packaged kavtest-sim cannot run the packaged C17 example"
  fi
fi

# --- removal ------------------------------------------------------------------------
dpkg_root -r kavtest >"$scratch/dpkg-r.log" 2>&1 || { cat "$scratch/dpkg-r.log"; fail "dpkg -r"; }
left=$(cd "$root" && find . -path ./var -prune -o ! -type d -print)
[ -z "$left" ] || fail "files left after removal: $left"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "deb package: all checks passed"
