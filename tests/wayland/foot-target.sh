# Shared by the sway scripts: a native foot terminal whose typed input goes to $typed, and
# what sway says has the focus. Sourced after tests/e2e/lib.sh.

typed=$E2E_TMP/typed.txt
: >"$typed"
foot -e sh -c "stty -echo -icanon min 1; cat > '$typed'" >"$E2E_TMP/foot.log" 2>&1 &
E2E_PIDS+=($!)
focused_app() {
  swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(n):
    if n.get("focused"):
        return n
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        f = walk(c)
        if f:
            return f
f = walk(json.load(sys.stdin)) or {}
print(f.get("app_id") or (f.get("window_properties") or {}).get("class") or "-")'
}
focused_is() { [ "$(focused_app)" = "$1" ]; }
wait_until 10 focused_is foot || { cat "$E2E_TMP/foot.log"; fail "foot did not take the focus (focus: $(focused_app))"; }
