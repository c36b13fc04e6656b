# Sourced by the scripts that run Windows programs under Wine. Defines:
#   wine_ensure_runs     makes Wine's 32-bit loader start on this kernel
#   wine_prepare_prefix  the shared prefix build-windows/wineprefix64, made once
#   wine_start_display   an Xvfb display of our own (sets DISPLAY, wine_xvfb_pid), of
#                        the size in KANVIO_WINE_SCREEN (1024x768x24 unless set)
#   wine_path PATH       PATH as the Windows programs see it (drive Z: is /)
# A caller that already prepared the prefix and the display exports
# WINEPREFIX and DISPLAY; the functions then keep them.

wine_as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

wine_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine_qemu=$wine_root/build-windows/qemu/usr/bin/qemu-i386

# Debian 12's qemu (7.2) runs Wine's 32-bit half slowly and crashes its
# thread pool; the user-mode emulator of Debian 13, a static program, runs it
# reliably. apt fetches that package from the archive this machine uses into
# build-windows/qemu, with a configuration of its own: the system's sources
# and installed packages stay as they are.
wine_fetch_emulator() {
  [ -x "$wine_qemu" ] && return
  local dir=$wine_root/build-windows/qemu
  local apt=$dir/apt archive
  archive=$(wine_debian_archive)
  [ -n "$archive" ] || { echo "wine: no Debian archive in the apt sources" >&2; return 1; }
  rm -rf "$dir"
  mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
  printf 'Types: deb\nURIs: %s\nSuites: trixie\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$archive" > "$apt/sources.list.d/next.sources"
  local options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt/sources.list.d"
                 -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
                 -o "APT::Architecture=amd64" -o "APT::Architectures=amd64")
  echo "wine: fetching Debian 13's qemu-user into build-windows/qemu"
  apt-get "${options[@]}" update -qq
  (cd "$dir" && apt-get "${options[@]}" download -qq qemu-user 2>&1 | grep -v unsandboxed || true)
  dpkg-deb -x "$dir"/qemu-user_*.deb "$dir"
  rm -rf "$dir"/qemu-user_*.deb "$apt"
  [ -x "$wine_qemu" ] || { echo "wine: qemu-i386 missing from the fetched package" >&2; return 1; }
}

# The URI of the Debian archive among this machine's apt sources (not the
# security archive).
wine_debian_archive() {
  local file
  {
    for file in /etc/apt/sources.list.d/*.sources; do
      [ -f "$file" ] || continue
      awk 'BEGIN { RS = ""; FS = "\n" }
           /Suites:[^\n]*(bookworm|trixie)( |$|\n)/ && !/security/ {
             for (i = 1; i <= NF; i++) if ($i ~ /^URIs:/) { sub(/^URIs:[ \t]*/, "", $i); split($i, u, " "); print u[1]; exit }
           }' "$file"
    done
  [ ! -f /etc/apt/sources.list ] ||
    sed -n -E 's/^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+)[[:space:]]+bookworm[[:space:]].*/\2/p' \
      /etc/apt/sources.list
  } | head -n 1 || true
}

# Wine's loader for 32-bit programs is a 32-bit Linux program. A kernel
# without 32-bit support (ia32_emulation off) runs it only through qemu's
# user-mode emulation, registered here for 32-bit x86 programs.
wine_ensure_runs() {
  local binfmt=/proc/sys/fs/binfmt_misc
  local entry=$binfmt/qemu-i386
  if [ ! -e "$entry" ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then return; fi
  grep -qx "interpreter $wine_qemu" "$entry" 2>/dev/null && return
  echo "wine: this kernel does not run 32-bit programs; Wine's 32-bit half runs under qemu-i386"
  wine_fetch_emulator
  [ -e "$binfmt/register" ] || wine_as_root mount -t binfmt_misc binfmt_misc "$binfmt"
  # An emulator registered before (Debian 12's) gives way to ours.
  [ -e "$entry" ] && echo -1 | wine_as_root tee "$entry" >/dev/null
  printf ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:%s:F' \
    "$wine_qemu" | wine_as_root tee "$binfmt/register" >/dev/null
  /usr/lib/wine/wine --version >/dev/null
}

# A 64-bit prefix: its making, its services and the Wine server run natively
# even where 32-bit programs need emulation; our 32-bit programs run in its
# 32-bit half, as in a host's process on 64-bit Windows. No Mono or Gecko
# (nothing here is .NET or HTML), no desktop menus, and no debugger that
# would wait for a person after a crash. $1: a folder for logs.
wine_prepare_prefix() {
  local logs=$1
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
  # A proxy of the environment would take the loopback requests elsewhere.
  unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
  if [ -n "${WINEPREFIX:-}" ] && [ -f "$WINEPREFIX/.kanvio-ready" ]; then return; fi
  export WINEPREFIX="$wine_root/build-windows/wineprefix64" WINEARCH=win64
  # The marker tells a finished prefix from one whose making was cut short.
  if [ ! -f "$WINEPREFIX/.kanvio-ready" ]; then
    echo "wine: preparing the prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    timeout 1800 env -u DISPLAY /usr/lib/wine/wine64 wineboot -i > "$logs/wineboot.log" 2>&1 || true
    timeout 1800 wineserver -w
    if [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
      cat "$logs/wineboot.log" >&2
      echo "wine: wineboot made no usable prefix" >&2
      return 1
    fi
    touch "$WINEPREFIX/.kanvio-ready"
  fi
}

# Xvfb picks a free display itself and reports its number. $1: a folder for logs.
wine_xvfb_pid=""
wine_start_display() {
  local logs=$1
  [ -n "${DISPLAY:-}" ] && [ -n "${KANVIO_WINE_DISPLAY_READY:-}" ] && return
  rm -f "$logs/display"
  Xvfb -displayfd 3 -screen 0 "${KANVIO_WINE_SCREEN:-1024x768x24}" -nolisten tcp 3> "$logs/display" 2> "$logs/xvfb.log" &
  wine_xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$logs/display" ] && break
    sleep 0.1
  done
  [ -s "$logs/display" ] || { cat "$logs/xvfb.log" >&2; echo "wine: Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(cat "$logs/display")" KANVIO_WINE_DISPLAY_READY=1
}

wine_path() { printf 'Z:%s' "${1//\//\\}"; }
