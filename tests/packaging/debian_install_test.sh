#!/usr/bin/env bash
# Installs the package that package_test.sh built in $1 with dpkg, uses what it installed, removes
# it and checks that nothing of it is left. Needs root and a system without sonacli installed;
# otherwise it is skipped (exit 77), so that it never touches a sonacli the machine already has.
set -euo pipefail
deb=$(ls "$1"/sonacli_*.deb)
skip() {
  echo "skipped: $1"
  exit 77
}
[[ $(id -u) -eq 0 ]] || skip "not root"
command -v dpkg >/dev/null || skip "no dpkg"
# One such test at a time on the machine, whichever build folder it runs from.
exec 9>/tmp/sonacli-debian-install-test.lock
flock -w 600 9
if dpkg-query -W -f='${Status}' sonacli 2>/dev/null | grep -q " installed"; then skip "a sonacli package is installed"; fi
[[ ! -e /usr/bin/sonacli ]] || skip "/usr/bin/sonacli exists"

# dpkg refuses to run while apt or another dpkg holds its lock: wait for it a while.
run_dpkg() {
  local output
  for _ in $(seq 60); do
    if output=$(dpkg "$@" 2>&1); then
      return 0
    fi
    [[ $output == *lock* ]] || break
    sleep 2
  done
  echo "$output"
  return 1
}
trap 'run_dpkg --purge sonacli || true' EXIT

run_dpkg -i "$deb"
files=$(dpkg -L sonacli)
version=$(/usr/bin/sonacli --version)
echo "${version%%$'\n'*}"
[[ $version == "sonacli "* ]]
registered=$(bash --norc --noprofile -c 'source /usr/share/bash-completion/completions/sonacli; complete -p sonacli')
[[ $registered == "complete -F _sonacli sonacli" ]]
# Docker images of Debian leave out manual pages when they install packages.
if [[ -e /usr/share/man/man1/sonacli.1.gz ]]; then
  [[ $(man -w sonacli) == /usr/share/man/man1/sonacli.1.gz ]]
else
  echo "this system leaves out manual pages (dpkg path-exclude)"
fi

run_dpkg -r sonacli
[[ $(dpkg-query -W -f='${Status}' sonacli 2>/dev/null || true) != *" installed" ]]
left=0
while read -r file; do
  if [[ -f $file || -L $file ]]; then
    echo "FAIL: left behind: $file"
    left=1
  fi
done <<<"$files"
[[ $left -eq 0 ]]
echo "installed, used and removed cleanly"
