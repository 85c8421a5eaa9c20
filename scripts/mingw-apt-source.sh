#!/usr/bin/env bash
# Fetches and unpacks Debian source packages with a private apt configuration: the machine's
# own package sources, read as deb-src, with lists and downloads kept under CACHE/apt. The
# machine's sources lists are left as they are.
#   mingw-apt-source.sh CACHE PACKAGE[=VERSION]...   (unpacks into CACHE/src)
set -euo pipefail
cache=$1
shift
root=$cache/apt
mkdir -p "$root/sources.list.d" "$root/lists/partial" "$root/cache/archives/partial" "$cache/src"
rm -f "$root/sources.list.d"/*
: >"$root/sources.list"
for f in /etc/apt/sources.list.d/*.sources; do
  [[ -e "$f" ]] || continue
  sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$root/sources.list.d/$(basename "$f")"
done
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [[ -e "$f" ]] || continue
  sed -nE 's/^deb[[:space:]]+/deb-src /p' "$f" >>"$root/sources.list"
done
opts=(-o "Dir::Etc::SourceList=$root/sources.list" -o "Dir::Etc::SourceParts=$root/sources.list.d"
      -o "Dir::State::Lists=$root/lists" -o "Dir::Cache=$root/cache" -o "APT::Sandbox::User=root")
apt-get "${opts[@]}" update -q >/dev/null
cd "$cache/src"
apt-get "${opts[@]}" source -q "$@"
