#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks and fetches Dear ImGui into the build tree.
# Safe to run again: every step is skipped when its result is already there.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVION_BUILD_DIR:-$here/build}"
third="$build/third_party"
imgui_version="1.90.1+ds-1"
imgui_tarball="imgui_1.90.1+ds.orig.tar.xz"
imgui_sha256="ecce377df0f90b292f15dcbd83d438bddc162b2388c881132bde18c787572a1c"
imgui_dir="$third/imgui"

fail() { echo "setup: $*" >&2; exit 1; }

packages=(cmake g++ make pkg-config libsdl2-dev libgl-dev libx11-dev libxi-dev libxtst-dev
  libcurl4-openssl-dev libssl-dev libgtest-dev libbenchmark-dev xvfb xauth libgl1-mesa-dri
  libxcb1-dev xclip fonts-open-sans fonts-dejavu-core g++-mingw-w64-x86-64 clang libclang-rt-14-dev python3
  ca-certificates xz-utils googletest wine wine64 openbox)

if [ "$(id -u)" -eq 0 ]; then sudo_cmd=(); else
  command -v sudo >/dev/null || fail "not root and no sudo: install ${packages[*]} by hand"
  sudo_cmd=(sudo)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q || fail "apt-get update failed"
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" \
    || fail "apt-get install failed for: ${missing[*]}"
fi

if [ ! -f "$imgui_dir/.complete" ]; then
  echo "setup: fetching Dear ImGui $imgui_version"
  work="$third/imgui-fetch"
  rm -rf "$work" "$imgui_dir"
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/src"
  uri=""
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
  fi
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk '$1=="deb" { for (i=2;i<=NF;i++) if ($i ~ /^[a-z]+:\/\//) { print $i; exit } }' /etc/apt/sources.list)
  fi
  [ -n "$uri" ] || fail "no Debian archive found in the apt sources"
  cat > "$work/imgui.sources" <<SRC
Types: deb-src
URIs: $uri
Suites: trixie
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt_opts=(-o Dir::Etc::sourcelist="$work/imgui.sources" -o Dir::Etc::sourceparts=/dev/null
    -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o APT::Sandbox::User=root)
  apt-get "${apt_opts[@]}" update -q >"$work/update.log" 2>&1 \
    || { cat "$work/update.log" >&2; fail "could not read the trixie source list"; }
  (cd "$work/src" && apt-get "${apt_opts[@]}" source --download-only "imgui=$imgui_version") \
    >"$work/source.log" 2>&1 || { cat "$work/source.log" >&2; fail "could not download the imgui source package"; }
  [ -f "$work/src/$imgui_tarball" ] || fail "$imgui_tarball was not downloaded"
  echo "$imgui_sha256  $work/src/$imgui_tarball" | sha256sum -c --quiet - \
    || fail "$imgui_tarball has the wrong sha256"
  mkdir -p "$work/unpack"
  tar -xJf "$work/src/$imgui_tarball" -C "$work/unpack" || fail "could not unpack $imgui_tarball"
  top=$(find "$work/unpack" -maxdepth 2 -name imgui.h -printf '%h\n' | head -n 1)
  [ -n "$top" ] && [ -f "$top/backends/imgui_impl_sdl2.cpp" ] || fail "unexpected layout in $imgui_tarball"
  mv "$top" "$imgui_dir"
  touch "$imgui_dir/.complete"
  rm -rf "$work"
fi
echo "setup: ready (Dear ImGui in $imgui_dir)"
