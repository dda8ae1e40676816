#!/usr/bin/env bash
# Fetches the source of Debian's libisal (the version installed) into
# DIR/source, with apt's lists, cache and sources list of its own under DIR,
# so the system's apt configuration and state are left as they are.
#   fetch-isal-source.sh DIR
set -euo pipefail
dir="$1"
version=$(dpkg-query -W -f='${source:Version}' libisal-dev)
mkdir -p "$dir/lists/partial" "$dir/cache/archives/partial" "$dir/download"
echo "deb-src http://deb.debian.org/debian bookworm main" >"$dir/sources.list"
apt_options=(-q -o "Dir::Etc::SourceList=$dir/sources.list" -o "Dir::Etc::SourceParts=$dir/none"
    -o "Dir::State::Lists=$dir/lists" -o "Dir::Cache=$dir/cache")
apt-get "${apt_options[@]}" update
cd "$dir/download"
apt-get "${apt_options[@]}" source --download-only "libisal=$version"
rm -rf "$dir/source"
mkdir "$dir/source"
tar -xJf libisal_*.orig.tar.xz -C "$dir/source" --strip-components=1
rm -rf "$dir/lists" "$dir/cache" "$dir/download"
