#!/usr/bin/env bash
# End to end: the protected vault through the real windows. The store of a
# first run, read as an attacker with a copy of it would read it, gives away
# neither the master password nor an entry; a second start refuses a wrong
# password and opens with the right one; an old vault is protected after the
# Confirm box and opens again; a vault made by znvault.exe opens here.
source "$(dirname "$0")/harness.sh"
start_display
SHOTS=${SCREENSHOT_DIR:-}
VAULT_KEY='HKCU\SOFTWARE\Halvorn\Bookmarks'
PASSWORD="Amber-Quill-7193"

# unlock PASSWORD: types it into the lock panel of a fresh start.
unlock() {
    local lock
    lock=$(wait_window '^Enter Password$' 20)
    focus "$lock"; press ctrl+a BackSpace; type_text "$1"; press Return
}

stored_header() { reg_value "$VAULT_KEY" Password | sed -n 's/.*REG_SZ *//p'; }
is_protected() { stored_header | grep -q '^\$zn\$'; }

# old_attack REGFILE: the attack that took an old vault apart in milliseconds,
# run on an export: the verifier tried under every key sum, and the entries
# deciphered under the stored verifier. Fails when either gives anything away.
old_attack() {
    python3 - "$1" <<'PY' || fail "the old attack read the vault"
import re, sys
text = open(sys.argv[1], "rb").read().decode("utf-8", "replace")
def values(name):
    hexes = re.findall(r'"%s"=hex\(1\):([0-9a-f,\\\s]*)' % name, text)
    return [bytes(int(h, 16) for h in re.sub(r"[\\\s]", "", m).split(",") if h).rstrip(b"\0")
            for m in hexes] + \
           [m.encode("latin-1") for m in re.findall(r'"%s"="([^"]*)"' % name, text)]
def decipher(data, seed):
    out = bytearray()
    for byte in data:
        seed = (seed * 134775813 + 1) % 2**32
        out.append((byte - (seed * 100 >> 32)) % 256)
    return bytes(out)
[verifier] = values("Password")
for seed in range(255 * len(verifier) + 1):
    plain = decipher(verifier, seed)
    if plain[:1] == b"*" and sum(plain[1:]) == seed:
        sys.exit("the master password is %r" % plain[1:])
for entry in values(r"Favorite\d+"):
    plain = decipher(entry, sum(verifier))
    if plain[:1] == b"*" and b"|||" in plain:
        sys.exit("an entry reads %r" % plain[1:])
PY
}

# not_in_store TEXT...: no byte string of the store's files holds the text.
not_in_store() {
    local text file
    for text in "$@"; do
        for file in "$ZINTREL_REGISTRY" "$ZINTREL_REGISTRY-wal"; do
            [ -e "$file" ] || continue
            if grep -a -q -i -F -- "$text" "$file"; then fail "'$text' is readable in $file"; fi
        done
        if grep -a -q -i -F -- "$text" "$WORK/copy.reg"; then fail "'$text' is in the export"; fi
    done
}

scenario=${1:?scenario}
case "$scenario" in
first_run_then_unlock)
    first_run "$PASSWORD"
    # The save lands after the window shows: wait on the value itself.
    eventually 10 reg_value "$VAULT_KEY\\Bookmarks" Favorite0 >/dev/null ||
        fail "no entry stored"
    eventually 10 is_protected || fail "not a protected header: $(stored_header)"
    "$ZNREG" export "$VAULT_KEY" "$WORK/copy.reg" || fail "the export failed"
    # (The description, "Halvorn", is also the name of the vault key itself.)
    not_in_store "$PASSWORD" "halvorn.example"
    old_attack "$WORK/copy.reg"
    [ "$("$BIN_DIR/e2e_read_entries" "$PASSWORD")" = "$(printf 'https://halvorn.example/\tHalvorn\t\t')" ] ||
        fail "the entries do not read under the password"
    kill -TERM "$VAULT_PID"; wait_exit "$VAULT_PID" 5

    start_vault
    unlock "amber-quill-7193"
    answer_box Error Return
    unlock "$PASSWORD"
    wait_window '^Zintrel$' 20 >/dev/null
    no_window '^(Error|Confirm)$' 2
    ;;
old_vault_protected)
    # A vault an earlier version made under Windows, in the old format.
    "$ZNREG" import "$(dirname "$0")/../registry/data/wine-vault.reg" >/dev/null ||
        fail "the old vault was refused"
    old=$("$BIN_DIR/e2e_read_entries" "Fjord-Lantern-42") || fail "the old vault does not read"
    start_vault
    unlock "Fjord-Lantern-42"
    wait_window '^Zintrel$' 20 >/dev/null
    wait_window '^Confirm$' 20 >/dev/null
    [ -n "$SHOTS" ] && sleep 1 && screenshot "$SHOTS/protect-question.png"
    answer_box Confirm Return  # Yes is the default button
    eventually 10 is_protected || fail "the vault was not protected: $(stored_header)"
    [ "$("$BIN_DIR/e2e_read_entries" "Fjord-Lantern-42")" = "$old" ] ||
        fail "the entries changed when protected"
    "$ZNREG" export "$VAULT_KEY" "$WORK/copy.reg" || fail "the export failed"
    not_in_store "Fjord-Lantern-42" "lighthouse" "olav" "n0rth~Star"
    old_attack "$WORK/copy.reg"
    kill -TERM "$VAULT_PID"; wait_exit "$VAULT_PID" 5

    start_vault
    unlock "Fjord-Lantern-42"
    wait_window '^Zintrel$' 20 >/dev/null
    no_window '^(Error|Confirm)$' 2
    ;;
opens_windows_vault)
    # Made by znvault.exe's first run under Wine, exported by Wine's registry editor.
    "$ZNREG" import "$(dirname "$0")/win32/data/windows_protected_vault.reg" >/dev/null ||
        fail "the Windows export was refused"
    is_protected || fail "the Windows vault is not protected"
    start_vault
    unlock "Windows Made 2"
    wait_window '^Zintrel$' 20 >/dev/null
    no_window '^(Error|Confirm)$' 2
    [ "$("$BIN_DIR/e2e_read_entries" "Windows Made 2")" = "$(printf 'https://halvorn.example/\tHalvorn\t\t')" ] ||
        fail "the Windows vault reads as: $("$BIN_DIR/e2e_read_entries" "Windows Made 2")"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
