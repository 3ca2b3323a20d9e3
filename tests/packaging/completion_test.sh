#!/usr/bin/env bash
# Completes command lines with the generated scripts as bash (with and without bash-completion)
# and fish do, and checks that zsh reads its script. $1: the folder of the generated scripts.
set -euo pipefail
scripts=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
touch a.wav B.WAV c.txt "my book.txt" novel.epub roman.fb2 roman.fb2.zip d.dic e.REX f.bxd g.cfg h.lrc i.srt -- -x
mkdir sub
failures=0

# Runs bash completion for the line (cursor at its end) and prints the offers sorted, one a line.
bash_offers() {
  local setup=$1 line=$2
  bash --norc --noprofile -c '
    '"$setup"'
    source "$0"
    COMP_LINE=$1 COMP_POINT=${#1}
    # Words as bash splits them: at blanks, and at colons (COMP_WORDBREAKS).
    eval "COMP_WORDS=($(sed -e "s/:/ : /g" <<<"$1"))"
    [[ $1 == *[\ :] ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _sonacli
    printf "%s\n" "${COMPREPLY[@]}" | sort' "$scripts/bash/sonacli" "$line"
}

fish_offers() {
  fish --no-config -c 'source $argv[1]; complete -C $argv[2] | string replace -r "\t.*" ""; true' \
    "$scripts/fish/sonacli.fish" "$1" | sort
}

check() {
  local shell=$1 line=$2 expected=$3 actual
  case $shell in
    bash) actual=$(bash_offers "" "$line") ;;
    bash-completion) actual=$(bash_offers "source /usr/share/bash-completion/bash_completion" "$line") ;;
    fish) actual=$(fish_offers "$line") ;;
  esac
  # Offers are separated by spaces; "+" stands for a space inside a name.
  expected=$(tr ' ' '\n' <<<"$expected" | tr '+' ' ' | sed '/^$/d' | sort)
  if [[ $actual != "$expected" ]]; then
    echo "FAIL $shell: '$line'"
    echo "  expected: $(tr '\n' ' ' <<<"$expected")"
    echo "  offered:  $(tr '\n' ' ' <<<"$actual")"
    failures=$((failures + 1))
  fi
}

shells=(bash fish)
if [[ -r /usr/share/bash-completion/bash_completion ]]; then
  shells+=(bash-completion)
else
  echo "bash-completion is not installed: bash is checked without it"
fi
for shell in "${shells[@]}"; do
  # Folders: bash offers "sub", fish "sub/".
  folder=sub
  [[ $shell == fish ]] && folder=sub/
  check "$shell" "sonacli -w " "a.wav B.WAV $folder"
  check "$shell" "sonacli -d " "d.dic e.REX f.bxd $folder"
  check "$shell" "sonacli -cfg " "g.cfg $folder"
  check "$shell" "sonacli --lrc-fname " "h.lrc $folder"
  check "$shell" "sonacli --srt-fname " "i.srt $folder"
  check "$shell" "sonacli -f my" "my+book.txt"
  # Books are told by their content, as text files have any name: -f offers every file.
  check "$shell" "sonacli -f n" "novel.epub"
  check "$shell" "sonacli -f ro" "roman.fb2 roman.fb2.zip"
  check "$shell" "sonacli -l " "de-DE en-US kk-KZ ru-RU tr-TR uz-UZ"
  check "$shell" "sonacli -e w" "whisper"
  check "$shell" "sonacli -fr 4" "44 48"
  check "$shell" "sonacli --sub-format s" "srt ssa smi"
  check "$shell" "sonacli -enc u" "utf8 unicode"
  check "$shell" "sonacli --lrc-enc a" "ansi"
  check "$shell" "sonacli -t " ""
  check "$shell" "sonacli --sub-f" "--sub-fit --sub-format"
  check "$shell" "sonacli --vers" "--version"
  check "$shell" "sonacli -n za" "zahar zahar:old zamira zamira_ru"
done
# bash replaces only what follows the colon; fish the whole word.
# Option names ignore case in bash as in the program; fish matches options exactly.
for shell in "${shells[@]}"; do
  if [[ $shell == bash* ]]; then
    check "$shell" "sonacli -n jane:" "old"
    check "$shell" "sonacli -D " "d.dic e.REX f.bxd sub"
    check "$shell" "sonacli -N zamira" "zamira zamira_ru"
  fi
done
check fish "sonacli -n jane:" "jane:old"
# "-?" is offered as such, not expanded to the file "-x".
[[ $(bash_offers "" "sonacli -") == *$'\n-?\n'* ]] || { echo "FAIL bash: -? not offered"; failures=$((failures + 1)); }

registered=$(bash --norc --noprofile -c 'source "$0"; complete -p sonacli' "$scripts/bash/sonacli")
echo "bash: $registered"
[[ $registered == "complete -F _sonacli sonacli" ]] || failures=$((failures + 1))

zsh -n "$scripts/zsh/_sonacli" || failures=$((failures + 1))
zsh -f -c 'fpath=("$1" $fpath); autoload -Uz compinit && compinit -u -D && autoload -Uz _sonacli &&
  [[ $_comps[sonacli] == _sonacli ]]' zsh "$scripts/zsh" || { echo "FAIL zsh: _sonacli not registered for sonacli"; failures=$((failures + 1)); }
fish --no-execute "$scripts/fish/sonacli.fish" || failures=$((failures + 1))

echo "$failures failures"
[[ $failures -eq 0 ]]
