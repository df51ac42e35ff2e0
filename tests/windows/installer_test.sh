#!/usr/bin/env bash
# installer_test.sh PREFIX SETUP OLDER_SETUP PROGRAM WINDOW_CHECK WAIT_FOR_JOB SAMPLE VERSION
#                   OLDER_VERSION
#
# The installer as a user meets it, under Wine in a fresh prefix (PREFIX is
# removed first):
#  1. an older Varne (OLDER_SETUP, OLDER_VERSION) installed silently into a
#     folder of the user's choosing (/D=);
#  2. SETUP installed silently over it: into that folder, varne.exe replaced
#     by PROGRAM byte for byte, the one uninstall entry now at VERSION;
#  3. the files, the Start-menu shortcut, every value Apps & features reads;
#     the installed varne.exe opens SAMPLE through its open-file dialog and
#     ends with 259 on WM_CLOSE (WINDOW_CHECK does that part);
#  4. the registered quiet uninstall leaves no file, folder, shortcut or key
#     once it has ended (WAIT_FOR_JOB waits for it and the copy of itself
#     it starts);
#  5. the same per-user (/CurrentUser): the user's own programs folder,
#     HKCU, the user's Start menu, then the uninstall again;
#  6. per-machine and per-user side by side: uninstalling either leaves the
#     other installed, registered and starting;
#  7. installs into folder A then B: A's uninstaller removes A's files only,
#     keeping B's entry and shortcut and a file the user put in A; B's
#     entry counts only Varne's files;
#  8. /D= into a folder of the user's files: refused (exit code 2), the
#     files byte-identical, nothing installed;
#  9. a per-machine install asks Windows for the folder's permissions
#     (Wine keeps none, so its trace of the call is what shows).
set -u
if [ -z "${DISPLAY:-}" ] && [ -z "${VARNE_WINE_XVFB:-}" ] && command -v xvfb-run >/dev/null; then
  VARNE_WINE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
if [ $# -ne 9 ]; then
  echo "usage: $0 PREFIX SETUP OLDER_SETUP PROGRAM WINDOW_CHECK WAIT_FOR_JOB SAMPLE VERSION OLDER_VERSION" >&2
  exit 2
fi
prefix=$1 setup=$2 older_setup=$3 program=$4 window_check=$5 wait_for_job=$6 sample=$7
version=$8 older_version=$9

rm -rf "$prefix"
mkdir -p "$prefix"
# winemenubuilder would copy the Start-menu shortcut into the real home's
# desktop menu.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine_bin=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
server=$(command -v wineserver || echo /usr/lib/wine/wineserver)
trap '"$server" -k </dev/null >/dev/null 2>&1' EXIT
"$wine_bin" wineboot --init </dev/null >/dev/null 2>&1
"$server" -w </dev/null >/dev/null 2>&1
# One server for every step below; its output detached so that it never
# holds CTest's pipes.
"$server" -p60 </dev/null >/dev/null 2>&1

failures=0
check() {  # check WHAT COMMAND...: runs COMMAND, reports WHAT
  "${@:2}"
  local status=$?
  if [ "$status" -eq 0 ]; then
    echo "ok   $1"
  else
    echo "FAIL $1 (status $status)"
    failures=$((failures + 1))
  fi
}
win() {  # a Windows command, its output without carriage returns
  "$wine_bin" "$@" </dev/null 2>/dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}
unix_path() {  # C:\a\b -> the file inside the prefix
  local path=${1//\\//}
  printf '%s/drive_c%s' "$prefix" "${path#C:}"
}
values=
read_key() {  # read_key KEY: its values into $values as NAME<tab>DATA lines
  local listing
  listing=$(win reg query "$1") || return 1
  values=$(printf '%s\n' "$listing" | sed -n 's/^    \([^ ]*\)    REG_[A-Z_]*    \(.*\)$/\1\t\2/p')
}
value() { printf '%s\n' "$values" | awk -F'\t' -v name="$1" '$1 == name { print $2 }'; }
same() { [ "$1" = "$2" ] || { echo "     expected \"$2\", found \"$1\""; return 1; }; }
absent() { [ ! -e "$1" ]; }
key_absent() { ! win reg query "$1" >/dev/null; }

uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Varne'
user_dir=
for dir in "$prefix"/drive_c/users/*; do
  [ "$(basename "$dir")" = Public ] || user_dir=$dir
done
user_windows=${user_dir#"$prefix"/drive_c}
user_windows="C:${user_windows//\//\\}"
common_menu=$prefix/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs
user_menu=$user_dir/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs
sample_windows="Z:${sample//\//\\}"

# check_install HIVE FOLDER MENU: the files, the shortcut and the entry of
# an install of VERSION in FOLDER (Windows form).
check_install() {
  local hive=$1 folder=$2 menu=$3 dir
  dir=$(unix_path "$folder")
  for file in varne.exe README.md LICENSE uninstall.exe; do
    check "$file in $folder" test -f "$dir/$file"
  done
  check "the installed varne.exe is the shipped one" cmp -s "$dir/varne.exe" "$program"
  check "Start-menu shortcut in $menu" test -f "$menu/Varne.lnk"
  # A shell link keeps its target's path as plain text in its link info.
  check "the shortcut leads to $folder\\varne.exe" grep -aqF "$folder\\varne.exe" "$menu/Varne.lnk"
  if ! check "uninstall entry $hive\\$uninstall_key" read_key "$hive\\$uninstall_key"; then
    return
  fi
  check "DisplayName" same "$(value DisplayName)" "Varne"
  check "DisplayVersion" same "$(value DisplayVersion)" "$version"
  check "Publisher" same "$(value Publisher)" "The Varne developers"
  check "DisplayIcon" same "$(value DisplayIcon)" "$folder\\varne.exe,0"
  check "InstallLocation" same "$(value InstallLocation)" "$folder"
  check "UninstallString" same "$(value UninstallString)" "\"$folder\\uninstall.exe\""
  check "QuietUninstallString" same "$(value QuietUninstallString)" "\"$folder\\uninstall.exe\" /S"
  check "NoModify" same "$(value NoModify)" "0x1"
  check "NoRepair" same "$(value NoRepair)" "0x1"
  # What Varne's files take, in KiB as Apps & features expects it.
  local estimated=$(($(value EstimatedSize))) actual
  actual=$(($(cd "$dir" && cat varne.exe README.md LICENSE uninstall.exe | wc -c) / 1024))
  check "EstimatedSize ${estimated} KiB for ${actual} KiB of files" \
    test "$estimated" -ge $((actual - 1)) -a "$estimated" -le $((actual + 1))
}

# check_uninstall HIVE FOLDER MENU: runs the entry's quiet uninstall and
# checks that nothing of the install is left.
check_uninstall() {
  local hive=$1 folder=$2 menu=$3 dir quiet
  dir=$(unix_path "$folder")
  read_key "$hive\\$uninstall_key"
  quiet=$(value QuietUninstallString)
  if [[ ! $quiet =~ ^\"([^\"]+)\"(.*)$ ]]; then
    check "a quiet uninstall command is registered" false
    return
  fi
  # NSIS's uninstaller runs on from a copy in the temporary folder while the
  # started one returns at once, and it removes the folder before the
  # shortcut and the entry: the folder's absence says nothing of its end.
  check "the uninstaller runs to its end" win "$wait_for_job" "${BASH_REMATCH[1]}" ${BASH_REMATCH[2]}
  check "no folder $folder" absent "$dir"
  check "no shortcut in $menu" absent "$menu/Varne.lnk"
  check "no uninstall entry $hive\\$uninstall_key" key_absent "$hive\\$uninstall_key"
}

starts() {  # starts FOLDER: its varne.exe opens SAMPLE and closes with 259
  check "$1\varne.exe starts, opens a picture and closes with 259" \
    win "$window_check" "$1\varne.exe" "$sample_windows"
}

echo "== $older_version, silently, into a folder of the user's choosing"
check "the older installer succeeds" win "$older_setup" /S '/D=C:\Apps\Varne'
read_key "HKLM\\$uninstall_key"
check "the older version is registered" same "$(value DisplayVersion)" "$older_version"

echo "== $version, silently, over it"
# Wine keeps no permissions; its trace shows what the installer asked for.
WINEDEBUG=-all,trace+advapi,trace+security "$wine_bin" "$setup" /S </dev/null >/dev/null 2>"$prefix/trace.txt"
check "the installer succeeds" test $? -eq 0
check "it asks for Administrators as owner, SYSTEM and Administrators full control, Users read and run, nothing inherited" \
  grep -qF 'L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"' "$prefix/trace.txt"
# 1 is a file object; -2147483643 is OWNER | DACL | PROTECTED_DACL.
check "it sets them on the per-machine folder" \
  grep -qF 'SetNamedSecurityInfoW L"C:\\Apps\\Varne" 1 -2147483643' "$prefix/trace.txt"
check "nothing went to Program Files instead" absent "$prefix/drive_c/Program Files/Varne"
check "no per-user entry beside the per-machine one" key_absent "HKCU\\$uninstall_key"
check_install HKLM 'C:\Apps\Varne' "$common_menu"
check "the installed program starts, opens a picture and closes with 259" \
  win "$window_check" 'C:\Apps\Varne\varne.exe' "$sample_windows"
check_uninstall HKLM 'C:\Apps\Varne' "$common_menu"

echo "== $version, per user"
user_folder="$user_windows\\AppData\\Local\\Programs\\Varne"
check "the per-user install succeeds" win "$setup" /S /CurrentUser
check "no per-machine entry" key_absent "HKLM\\$uninstall_key"
check_install HKCU "$user_folder" "$user_menu"
check_uninstall HKCU "$user_folder" "$user_menu"

echo "== per machine and per user side by side"
machine_folder='C:\Program Files\Varne'
check "the per-machine install succeeds" win "$setup" /S /AllUsers
check "the per-user install succeeds" win "$setup" /S /CurrentUser
check_uninstall HKCU "$user_folder" "$user_menu"
check_install HKLM "$machine_folder" "$common_menu"
starts "$machine_folder"
check "the per-user install succeeds again" win "$setup" /S /CurrentUser
check_uninstall HKLM "$machine_folder" "$common_menu"
check_install HKCU "$user_folder" "$user_menu"
starts "$user_folder"
check_uninstall HKCU "$user_folder" "$user_menu"

echo "== into folder A, then into folder B"
a_dir=$(unix_path 'C:\A\Varne')
check "the install into A succeeds" win "$setup" /S '/D=C:\A\Varne'
head -c 300000 /dev/urandom >"$a_dir/notes.bin"
cp "$a_dir/notes.bin" "$prefix/notes.bin"
check "the update of A in place succeeds" win "$setup" /S '/D=C:\A\Varne'
# Its EstimatedSize must leave the user's file out.
check_install HKLM 'C:\A\Varne' "$common_menu"
check "the install into B succeeds" win "$setup" /S '/D=C:\B\Varne'
check "A's uninstaller runs to its end" win "$wait_for_job" 'C:\A\Varne\uninstall.exe' /S
for file in varne.exe README.md LICENSE uninstall.exe; do
  check "no $file in A" absent "$a_dir/$file"
done
check "the user's file in A stays as it was" cmp -s "$a_dir/notes.bin" "$prefix/notes.bin"
check_install HKLM 'C:\B\Varne' "$common_menu"
starts 'C:\B\Varne'
check_uninstall HKLM 'C:\B\Varne' "$common_menu"

echo "== /D= into a folder of the user's files"
work=$(unix_path 'C:\Work')
mkdir -p "$work" "$prefix/work-before"
printf 'my notes\n' >"$work/README.md"
printf 'my licence\n' >"$work/LICENSE"
cp -p "$work"/* "$prefix/work-before/"
win "$setup" /S '/D=C:\Work'
check "the installer refuses with exit code 2" test $? -eq 2
check "the folder holds the user's files, byte for byte, and nothing else" \
  diff -r "$prefix/work-before" "$work"
check "no per-machine entry" key_absent "HKLM\\$uninstall_key"
check "no per-user entry" key_absent "HKCU\\$uninstall_key"

echo "$failures failed"
[ "$failures" -eq 0 ]
