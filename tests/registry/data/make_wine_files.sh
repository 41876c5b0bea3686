#!/usr/bin/env bash
# Remakes the .reg files of this folder with Wine's regedit (see README.md).
# Run from anywhere; needs wine, g++ and this repository's sources.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export WINEPREFIX="$WORK/prefix" WINEDEBUG=-all LANG=C.UTF-8
unset DISPLAY

# The vault's values as a Windows vault holds them: the verifier of the
# password and two entries enciphered under it, each byte read as a
# Windows-1252 character (printed here in UTF-8 for Wine's command line).
cat >"$WORK/vault_values.cpp" <<'CPP'
#include <iostream>
#include "vault/entry_cipher.h"
#include "vault/record.h"
#include "znreg/code_page.h"
using namespace zn;
static std::string windowsText(const std::string& bytes) {
    return regtool::encodeUtf8(regtool::decodeCodePage(regtool::CodePage::Windows1252, bytes));
}
int main() {
    const std::string verifier = MakeVerifier("Fjord-Lantern-42");
    std::cout << windowsText(verifier) << '\0';
    for (const BookmarkEntry& entry :
         {BookmarkEntry{"https://harbour.example/", "Harbour", "ingrid", "Sk8-Tide"},
          BookmarkEntry{"https://lighthouse.example/login", "Lighthouse", "olav", "n0rth~Star"}})
        std::cout << windowsText(Encipher(JoinRecord(entry), verifier)) << '\0';
}
CPP
g++ -std=c++20 -I"$ROOT" -o "$WORK/vault_values" "$WORK/vault_values.cpp" \
    "$ROOT/vault/entry_cipher.cpp" "$ROOT/vault/record.cpp" "$ROOT/znreg/code_page.cpp"
mapfile -d '' VALUES < <("$WORK/vault_values")

reg() { wine reg "$@" >/dev/null; }
export_key() { wine regedit /e "$1" "$2"; }

# wine-vault.reg: the vault, password "Fjord-Lantern-42".
reg add 'HKCU\Software\Halvorn\Bookmarks' /v Password /t REG_SZ /d "${VALUES[0]}" /f
reg add 'HKCU\Software\Halvorn\Bookmarks\Bookmarks' /v Favorite0 /t REG_SZ /d "${VALUES[1]}" /f
reg add 'HKCU\Software\Halvorn\Bookmarks\Bookmarks' /v Favorite1 /t REG_SZ /d "${VALUES[2]}" /f
export_key "$WORK/wine-vault.reg" 'HKEY_CURRENT_USER\Software\Halvorn\Bookmarks'

# wine-values.reg: every value type, Windows-1252 letters, the five bytes the
# code page leaves undefined, quotes, backslashes and a line break.
K='HKCU\Software\Zintrel Probe'
reg add "$K" /ve /t REG_SZ /d 'standard' /f
reg add "$K" /v Text /t REG_SZ /d 'Fjordbåt "quoted" C:\path €ƒ' /f
reg add "$K" /v Lines /t REG_SZ /d $'one\ntwo' /f
reg add "$K" /v Expand /t REG_EXPAND_SZ /d '%APPDATA%\Zintrel' /f
reg add "$K" /v Multi /t REG_MULTI_SZ /d 'one\0two' /f
reg add "$K" /v Count /t REG_DWORD /d 42 /f
reg add "$K" /v Bin /t REG_BINARY /d 000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1ff0ff /f
reg add "$K\Sub" /v Undefined /t REG_SZ /d $'\u0081\u008d\u008f\u0090\u009d' /f
export_key "$WORK/wine-values.reg" 'HKEY_CURRENT_USER\Software\Zintrel Probe'

# wine-cjk.reg: a character Windows-1252 lacks.
reg add 'HKCU\Software\Zintrel CJK' /v Name /t REG_SZ /d '中文' /f
export_key "$WORK/wine-cjk.reg" 'HKEY_CURRENT_USER\Software\Zintrel CJK'

cp "$WORK"/wine-*.reg "$HERE/"
