#!/usr/bin/env bash
# kst beside cp and other file-encryption tools on one 256 MiB file, and kst's peak memory
# for 16 MiB and 256 MiB files:
#   bash bench/kst_bench.sh [NATIVE_KST]      (default build/native/cli/kst)
# It also prints the "limit" kst could reach here: the lesser of what the cores can cipher
# (cores x the chosen cipher path's one-core rate, from cipher_bench beside kst's tree) and
# what the disk takes (cp then sync), and kst's ratio to it.
# Missing tools are installed with apt-get when we may; otherwise their rows say why they
# are skipped. Every figure is the best of three runs, files warm in the page cache.
# kst flushes its output to disk before renaming it into place; cp does not, so a row for
# cp followed by a sync of the copy stands beside it.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kst=${1:-$root/build/native/cli/kst}
[ -x "$kst" ] || { echo "no kst at $kst: build the native tree first"; exit 1; }
cipher_bench=$(dirname "$kst")/../bench/cipher_bench

declare -A package=([openssl]=openssl [ccrypt]=ccrypt [gpg]=gnupg [age]=age [script]=bsdutils)
missing=()
for tool in "${!package[@]}"; do command -v "$tool" >/dev/null || missing+=("${package[$tool]}"); done
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" = 0 ]; then
    echo "installing: ${missing[*]}"
    apt-get install -y -qq "${missing[@]}" >/dev/null 2>&1 || echo "note: apt-get could not install all of: ${missing[*]}"
  else
    echo "note: not root, not installing: ${missing[*]}"
  fi
fi

work=$(mktemp -d "$root/build/kst-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
printf 'benchmark password\n' > pw
head -c $((256 << 20)) /dev/urandom > big
head -c $((16 << 20)) /dev/urandom > small
megabytes=$(awk 'BEGIN { printf "%.3f", 256 * 1048576 / 1e6 }')

# best_seconds SETUP COMMAND: the shortest wall time of three runs; SETUP runs before each.
best_seconds() {
  local setup=$1 command=$2 best= start end seconds
  for _ in 1 2 3; do
    eval "$setup"
    start=$(date +%s.%N)
    eval "$command" >/dev/null 2>&1 || { echo failed; return; }
    end=$(date +%s.%N)
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')
    if [ -z "$best" ] || awk -v s="$seconds" -v b="$best" 'BEGIN { exit !(s < b) }'; then best=$seconds; fi
  done
  echo "$best"
}

cp_rate= rate=
row() {  # row LABEL SETUP COMMAND; leaves the figure in $rate (empty when it failed)
  local seconds ratio
  rate=
  seconds=$(best_seconds "$2" "$3")
  if [ "$seconds" = failed ]; then printf '%-44s %s\n' "$1" "failed"; return; fi
  rate=$(awk -v m="$megabytes" -v s="$seconds" 'BEGIN { printf "%.1f", m / s }')
  [ -z "$cp_rate" ] && cp_rate=$rate
  ratio=$(awk -v r="$rate" -v c="$cp_rate" 'BEGIN { printf "%.2f", r / c }')
  printf '%-44s %8s MB/s %6sx cp\n' "$1" "$rate" "$ratio"
}
skip() { printf '%-44s skipped: %s\n' "$1" "$2"; }
have() { command -v "$1" >/dev/null; }

echo "256 MiB of random bytes, $(nproc) cores, best of 3 (other work on this machine disturbs the figures)"
echo "load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
row "cp" "rm -f copy" "cp big copy"
row "cp, then sync of the copy" "rm -f copy" "cp big copy && sync copy"
disk_rate=$rate
row "kst encrypt" "rm -f big.kst" "'$kst' encrypt big -q --password-file pw"
encrypt_rate=$rate
row "kst decrypt" "rm -f big.back" "'$kst' decrypt big.kst -o big.back -q --password-file pw"
decrypt_rate=$rate
row "kst encrypt --threads 1" "rm -f one.kst" "'$kst' encrypt big -o one.kst -q --threads 1 --password-file pw"
if have openssl; then
  ossl="openssl enc -bf-ecb -provider legacy -provider default -pbkdf2 -pass file:pw"
  row "openssl enc -bf-ecb" "rm -f big.ossl" "$ossl -in big -out big.ossl"
  row "openssl enc -d -bf-ecb" "rm -f big.ossl.back" "$ossl -d -in big.ossl -out big.ossl.back"
else skip "openssl enc -bf-ecb" "openssl missing"; fi
if have ccrypt; then
  row "ccrypt" "" "ccrypt -e -k pw < big > big.cpt"
  row "ccrypt -d" "" "ccrypt -d -k pw < big.cpt > big.cpt.back"
else skip "ccrypt" "ccrypt missing"; fi
if have gpg; then
  export GNUPGHOME="$work/gnupg"; mkdir -m 700 -p "$GNUPGHOME"
  g="gpg --batch --yes --quiet --pinentry-mode loopback --passphrase-file pw"
  row "gpg --symmetric --compress-algo none" "" "$g --symmetric --compress-algo none -o big.gpg big"
  row "gpg --decrypt" "" "$g --decrypt -o big.gpg.back big.gpg"
else skip "gpg --symmetric" "gpg missing"; fi
if have age && have script; then
  # age reads its passphrase only from a terminal: script(1) lends it one.
  row "age -p (passphrase scrypt included)" "rm -f big.age" \
    "printf 'pw\npw\n' | script -qec 'age -p -o big.age big' /dev/null"
  row "age -d" "rm -f big.age.back" "printf 'pw\n' | script -qec 'age -d -o big.age.back big.age' /dev/null"
else skip "age -p" "age or script missing"; fi

echo
# limit = min(cores x one core of the chosen cipher path, cp + sync)
chosen=$([ -x "$cipher_bench" ] && "$cipher_bench" | grep '^chosen path ')
core_rate=$(sed -E 's/^chosen path [^:]*: ([0-9.]+) MB\/s.*/\1/' <<<"$chosen")
if [ -n "$core_rate" ] && [ -n "$disk_rate" ]; then
  cores=$(nproc)
  cipher_rate=$(awk -v c="$cores" -v r="$core_rate" 'BEGIN { printf "%.1f", c * r }')
  limit=$(awk -v a="$cipher_rate" -v b="$disk_rate" 'BEGIN { printf "%.1f", a < b ? a : b }')
  echo "${chosen%%,*}"
  printf '%-44s %8s MB/s  (min of %s cores x %s = %s, cp + sync %s)\n' "limit" "$limit" "$cores" "$core_rate" \
    "$cipher_rate" "$disk_rate"
  for pair in "encrypt:$encrypt_rate" "decrypt:$decrypt_rate"; do
    figure=${pair#*:}
    [ -n "$figure" ] || { printf '%-44s failed\n' "kst ${pair%%:*} / limit"; continue; }
    printf '%-44s %8s\n' "kst ${pair%%:*} / limit" "$(awk -v k="$figure" -v l="$limit" 'BEGIN { printf "%.2f", k / l }')"
  done
else
  echo "limit: not computed (no cipher_bench at $cipher_bench, or cp + sync failed)"
fi

echo
echo "kst peak memory (maximum resident set size):"
for size in small big; do
  for command in encrypt decrypt; do
    rm -f "$size.kst.tmp" "$size.out"
    if [ $command = encrypt ]; then
      args=(encrypt "$size" -o "$size.kst.mem" --force -q --password-file pw)
    else
      args=(decrypt "$size.kst.mem" -o "$size.out" --force -q --password-file pw)
    fi
    kib=$(/usr/bin/time -f %M "$kst" "${args[@]}" 2>&1 >/dev/null | tail -1)
    printf '  %-8s %-8s %8s KiB\n' "$([ $size = small ] && echo 16 || echo 256) MiB" "$command" "$kib"
  done
done
