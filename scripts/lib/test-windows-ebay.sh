# Sourced by scripts/test-windows after the shop sessions: the eBay parts.
# Uses its functions (start_shop, prepare_host, normalise, wine_path,
# native_path) and variables (out, port, pids, status).

# One eBay session: InitEbay without a token (the simulator signs each
# session in at once, as a quick user would; the Windows form shows its
# dialog meanwhile and notices the completed sign-in by itself), GetOrders
# with the host's list of imported orders. $1 the folder, $2 the path
# function, then the program.
run_ebay_session() {
  local dir=$1 to_path=$2
  shift 2
  prepare_host "$dir"
  start_shop "$dir" --ebay-sign-in-after-ms 0
  local h="$dir/host"
  printf '\xEF\xBB\xBF110000000001-2000000001\r\n' > "$h/importiert.txt"
  cat > "$dir/marlixKanvio.config" <<XML
<?xml version="1.0" encoding="utf-8"?>
<settings>
  <setting name="ebay_apiServerUrl">http://127.0.0.1:$port/ws/api.dll</setting>
  <setting name="ebay_signInUrl">http://127.0.0.1:$port/signin/{domain}/ws/eBayISAPI.dll</setting>
</settings>
XML
  local code=0
  KANVIO_USER_CONFIG_DIR="$($to_path "$dir/user")" KANVIO_PROGRAMDATA="$($to_path "$dir/ProgramData")" \
    KANVIO_DEPLOYMENT_CONFIG="$($to_path "$dir/marlixKanvio.config")" KANVIO_BROWSER_OPENER="" \
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winebrowser.exe=d" \
    timeout 1200 "$@" --ebay haendler --site 77 --date "01.01.2020 00:00:00" \
    --imported-orders "$($to_path "$h/importiert.txt")" --pause-ms 0 --status-log "$($to_path "$dir/status.log")" \
    get-orders "$($to_path "$h/orders.xml")" supports GetOrders \
    > "$dir/kanvio.out" 2> "$dir/kanvio.err" || code=$?
  echo "$code" > "$dir/kanvio.status"
  [ "$code" -ne 124 ] || echo "test-windows: the eBay session in $dir timed out" >&2
  kill "${pids[-1]}" 2>/dev/null || true
}

# The simulator dates its sold orders relative to its start; the two runs
# start at different times.
normalise_ebay_times() {
  find "$out/compare/$1" -type f -print0 | xargs -0 sed -i -E \
    -e 's#<Bestelldatum>[^<]*</Bestelldatum>#<Bestelldatum>TIME</Bestelldatum>#g' \
    -e 's#<EbayKey>([0-9]+)_[0-9]{14}</EbayKey>#<EbayKey>\1_TIME</EbayKey>#g'
}

compare_ebay_session() {
  echo "test-windows: eBay under Wine"
  run_ebay_session "$out/ebay-wine" wine_path wine build-windows/bin/kanvio.exe
  local wine_port=$port
  echo "test-windows: eBay natively"
  run_ebay_session "$out/ebay-native" native_path build/bin/kanvio
  local native_port=$port
  normalise "$out/ebay-wine" "$(wine_path "$out/ebay-wine")" "$wine_port"
  normalise "$out/ebay-native" "$(wine_path "$out/ebay-native")" "$native_port"
  normalise_ebay_times ebay-wine
  normalise_ebay_times ebay-native
  if diff -ru "$out/compare/ebay-native" "$out/compare/ebay-wine" > "$out/ebay-differences.diff"; then
    echo "test-windows: eBay: Wine and native runs agree:"
    sed 's/^/  /' "$out/compare/ebay-wine/kanvio.out"
  else
    echo "test-windows: eBay: the Wine run differs from the native run (- native, + Wine):" >&2
    head -n 80 "$out/ebay-differences.diff" >&2
    status=1
  fi
  local native_code wine_code
  native_code=$(cat "$out/ebay-native/kanvio.status")
  wine_code=$(cat "$out/ebay-wine/kanvio.status")
  if [ "$native_code" != "$wine_code" ]; then
    echo "test-windows: eBay: exit status $native_code natively, $wine_code under Wine" >&2
    tail -n 20 "$out/ebay-wine/kanvio.err" >&2
    status=1
  fi
  if [ -s "$out/ebay-wine/status.log" ] &&
     ! diff -u "$out/ebay-native/status.log" "$out/ebay-wine/status.log" > "$out/ebay-status.diff"; then
    echo "test-windows: eBay: the status lines differ:" >&2
    head -n 40 "$out/ebay-status.diff" >&2
    status=1
  fi
}

# The sign-in dialog as the connector shows it, checked by the probe and
# photographed while it is up: build-windows/ebay-sign-in.png.
ebay_sign_in_screenshot() {
  local dir="$out/sign-in"
  mkdir -p "$dir"
  echo "test-windows: the eBay sign-in dialog under Wine"
  # Xvfb has no window manager: Wine draws the caption itself, as Windows would.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f > "$dir/reg.log" 2>&1 || true
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winebrowser.exe=d" timeout 600 wine build-windows/bin/SignInDialogProbe.exe \
    --hold-ms 6000 --expect link > "$dir/probe.txt" 2>&1 &
  local probe=$!
  local shown=0
  for _ in $(seq 1 300); do
    if grep -q "^dialog shown" "$dir/probe.txt" 2>/dev/null; then shown=1; break; fi
    kill -0 "$probe" 2>/dev/null || break
    sleep 1
  done
  [ $shown = 1 ] && sleep 1 && import -window root "$root/build-windows/ebay-sign-in.png"
  local code=0
  wait "$probe" || code=$?
  sed -n 's/^FAIL/test-windows: sign-in dialog: FAIL/p' "$dir/probe.txt" >&2
  if [ $code -ne 0 ] || [ $shown = 0 ]; then
    cat "$dir/probe.txt" >&2
    echo "test-windows: the eBay sign-in dialog probe failed under Wine" >&2
    status=1
  else
    echo "test-windows: eBay sign-in dialog photographed: build-windows/ebay-sign-in.png"
  fi
}
