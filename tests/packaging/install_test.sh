#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks that every file is where Debian looks for
# it, and that the installed program and manual page work. $1: the build folder.
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr/local >/dev/null

actual=$(cd "$stage" && find . -type f | sort)
echo "$actual"
expected="./usr/local/bin/sonacli
./usr/local/share/bash-completion/completions/sonacli
./usr/local/share/doc/sonacli/changelog.gz
./usr/local/share/doc/sonacli/copyright
./usr/local/share/fish/vendor_completions.d/sonacli.fish
./usr/local/share/man/man1/sonacli.1.gz
./usr/local/share/zsh/vendor-completions/_sonacli"
if [[ $actual != "$expected" ]]; then
  echo "FAIL: installed files differ from:"
  echo "$expected"
  exit 1
fi
[[ -x $stage/usr/local/bin/sonacli ]]
version=$("$stage/usr/local/bin/sonacli" --version)
[[ ${version%%$'\n'*} =~ ^sonacli\ [0-9]+\.[0-9]+ ]] || { echo "FAIL: --version printed: $version"; exit 1; }
page=$(MANWIDTH=80 man -l "$stage/usr/local/share/man/man1/sonacli.1.gz")
[[ $page == "sonacli(1)"* ]] || { echo "FAIL: the manual page does not render"; exit 1; }
echo "installed files as expected"
