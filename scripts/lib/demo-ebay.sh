# Sourced by scripts/demo for --shop ebay, after the simulator started on
# $port, with $work, $root and the host's variables set. Two host sessions:
# the first has no token, so InitEbay signs in (this script stands in for the
# person at the browser: it fills in and sends the simulator's sign-in form
# as soon as the library prints the address) and GetOrders writes the new
# orders; the second passes the stored token back, lists the imported orders
# as the host does and finds nothing new.

# The library's endpoints point at the simulator.
demo_ebay_deployment() {
  local base="http://127.0.0.1:$port"
  cat > "$work/marlixKanvio.config" <<XML
<?xml version="1.0" encoding="utf-8"?>
<settings>
  <setting name="ebay_apiServerUrl">$base/ws/api.dll</setting>
  <setting name="ebay_signInUrl">$base/signin/{domain}/ws/eBayISAPI.dll</setting>
</settings>
XML
  export KANVIO_DEPLOYMENT_CONFIG="$work/marlixKanvio.config"
}

# Passes the library's terminal lines on; signs in at the address it prints.
demo_ebay_sign_in() {
  local line url
  while IFS= read -r line; do
    printf '%s\n' "$line" >&2
    case "$line" in
      "Adresse: "*)
        url=${line#Adresse: }
        curl -sS -o /dev/null "$url"
        curl -sS -o /dev/null --data "userid=demo-haendler&pass=demo" "$url"
        echo "(demo: signed in as demo-haendler on the sign-in page)" >&2 ;;
    esac
  done
}

demo_ebay() {
  demo_ebay_deployment
  # No browser for a page on loopback; the address still goes to the terminal.
  export KANVIO_BROWSER_OPENER=""
  local status=0
  echo "Session 1: no token yet"
  # kanvio's standard error goes through the sign-in stand-in, its output straight on.
  { build/bin/kanvio --ebay demo-haendler --date "$(date -d '-30 days' '+%d.%m.%Y %H:%M:%S')" \
      --imported-orders "$work/host/importiert.txt" --pause-ms 300 \
      get-orders "$work/host/orders.xml" 2>&1 1>&3 3>&- | demo_ebay_sign_in; } 3>&1 || status=$?
  [ $status -eq 0 ] || return $status

  # The host imports the file and lists its eBay order lines; the token it got stays with it.
  grep -o '<EbayOrderLineItem>[^<]*' "$work/host/orders.xml" |
    sed -e 's/<EbayOrderLineItem>//' -e 's/$/\r/' > "$work/host/importiert.txt"
  local token
  token=$(sed -n 's|.*<setting name="ebay_token">\([^<]*\)</setting>.*|\1|p' "$KANVIO_USER_CONFIG_DIR/user.config")
  echo
  echo "Session 2: the stored token, $(wc -l < "$work/host/importiert.txt") orders listed as imported"
  build/bin/kanvio --ebay demo-haendler --token "$token" --imported-orders "$work/host/importiert.txt" \
    --pause-ms 300 get-orders "$work/host/orders-2.xml" || status=$?

  echo
  echo "Files of this run (kept in $work):"
  echo "  orders fetched:         $work/host/orders.xml ($(grep -o '<Bestellvorgang>' "$work/host/orders.xml" | wc -l) orders)"
  echo "  imported-orders list:   $work/host/importiert.txt"
  echo "  second run:             $([ -f "$work/host/orders-2.xml" ] && echo "$work/host/orders-2.xml" || echo "no file: nothing new")"
  echo "  settings store:         $KANVIO_USER_CONFIG_DIR/user.config"
  return $status
}
