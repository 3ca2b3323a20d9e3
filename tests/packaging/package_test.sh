#!/usr/bin/env bash
# Builds the Debian package with CPack into $2 and checks its files, its fields and its dependencies
# (and lintian's verdict where lintian is installed). $1: the build folder.
set -euo pipefail
build=$(cd "$1" && pwd)
out=$2
rm -rf "$out"
mkdir -p "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/sonacli_*.deb)
echo "package: $(basename "$deb")"

files=$(dpkg-deb --contents "$deb" | awk '{print $6}' | grep -v '/$' | sort)
echo "$files"
expected="./usr/bin/sonacli
./usr/share/bash-completion/completions/sonacli
./usr/share/doc/sonacli/changelog.gz
./usr/share/doc/sonacli/copyright
./usr/share/fish/vendor_completions.d/sonacli.fish
./usr/share/man/man1/sonacli.1.gz
./usr/share/zsh/vendor-completions/_sonacli"
[[ $files == "$expected" ]] || { echo "FAIL: package files differ from:"; echo "$expected"; exit 1; }

[[ $(dpkg-deb -f "$deb" Package) == sonacli ]]
version=$("$build/sonacli" --version | sed -n '1s/^sonacli //p')
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || { echo "FAIL: version is not $version"; exit 1; }
[[ -n $(dpkg-deb -f "$deb" Description) ]]
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[[ $maintainer =~ ^"sonacli maintainers <"[^@\ ]+@([a-z0-9-]+\.)*example\.org">"$ ]] || { echo "FAIL: Maintainer is $maintainer"; exit 1; }

# The copyright file: MIT, the authors, and the very text of LICENSE (a paragraph break is " .").
copyright=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/sonacli/copyright)
grep -qx "License: MIT" <<<"$copyright" || { echo "FAIL: copyright names no MIT licence"; exit 1; }
grep -qx "Copyright: [0-9]* the sonacli authors" <<<"$copyright" || { echo "FAIL: copyright holder"; exit 1; }
licence=$(sed '1,/^Copyright (c)/d' "$(dirname "$0")/../../LICENSE" | sed '/./,$!d')
packaged=$(awk '/^License: MIT$/ { text = ""; next } { text = text $0 "\n" } END { printf "%s", text }' \
  <<<"$copyright" | sed 's/^ //; s/^\.$//')
[[ $packaged == "$licence" ]] || { echo "FAIL: the licence text differs from LICENSE"; diff <(echo "$licence") <(echo "$packaged"); exit 1; }

# Every library the program needs comes from a package that Depends names.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
missing=0
for library in $(objdump -p "$build/sonacli" | awk '$1 == "NEEDED" {print $2}'); do
  # (Whole outputs are read: a reader that stops early would end the writer with SIGPIPE.)
  path=$(ldconfig -p | awk -v lib="$library" '$1 == lib && !found {print $NF; found = 1}')
  # With the merged /usr, dpkg knows a library under one of its two paths.
  package=
  for candidate in "$path" "/usr$path" "${path#/usr}"; do
    package=$(dpkg -S "$candidate" 2>/dev/null | sed -n '1s/:.*//p') && [[ -n $package ]] && break
  done
  if [[ ", $depends," != *", $package "* && ", $depends," != *", $package,"* ]]; then
    echo "FAIL: $library ($package) is not a dependency"
    missing=1
  fi
done
[[ $missing -eq 0 ]]

if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" 2>&1 | grep -v "running with root privileges" || true
  lintian --fail-on error,warning "$deb" >/dev/null 2>&1 || { echo "FAIL: lintian"; exit 1; }
  echo "lintian: no errors or warnings"
else
  echo "lintian is not installed: not run"
fi
