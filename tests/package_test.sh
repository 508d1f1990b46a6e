#!/bin/bash
# Checks a built Debian package (scripts/package.sh makes it): its control data, its exact
# file list and the files' modes, the desktop entry, the man pages, the AppStream metadata,
# the copyright and changelog, the programs (stripped, hardened, every library they load
# provided by a package they depend on, --version), lintian, the resolution of its
# dependencies by apt, and an install and removal with dpkg into a throwaway root that
# shares this machine's list of installed packages. Prints "ok"/"not ok" per check and
# closes with "N passed, N failed".
# Usage: tests/package_test.sh build/package/vyper-grundelnetz_<version>-1_<arch>.deb
set -u
DEB="$(realpath "${1:?usage: tests/package_test.sh PACKAGE.deb}")"
cd "$(dirname "$0")/.."
NAME="vyper-grundelnetz"
CLI="vyper-grundelnetz-cli"
APP_ID="de.grundelnetz.Vyper"
VERSION="$(sed -n 's/^project(VyperGrundelnetz VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
ARCH="$(dpkg --print-architecture)"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

passed=0
failed=0
# check DESCRIPTION COMMAND...: runs the command; its output is shown only when it fails.
check() {
  local description="$1"; shift
  if output="$("$@" 2>&1)"; then
    passed=$((passed + 1)); echo "ok - $description"
  else
    failed=$((failed + 1)); echo "not ok - $description"
    [ -n "$output" ] && printf '%s\n' "$output" | sed 's/^/    /'
  fi
}
# same TEXT_A TEXT_B: equal, or a diff of the two.
same() { [ "$1" = "$2" ] || { diff <(printf '%s\n' "$1") <(printf '%s\n' "$2"); return 1; }; }
# contains TEXT PATTERN: an extended regular expression matches a line of the text.
contains() { printf '%s\n' "$1" | grep -Eq -- "$2" || { echo "no line matches /$2/ in:"; printf '%s\n' "$1"; return 1; }; }
# has_line TEXT LINE: the text has the line, character for character.
has_line() { printf '%s\n' "$1" | grep -Fxq -- "$2" || { echo "no line '$2' in:"; printf '%s\n' "$1"; return 1; }; }
# silent COMMAND...: exits 0 and writes nothing to stdout or stderr.
silent() { local out; out="$("$@" 2>&1)" && [ -z "$out" ] || { printf '%s\n' "$out"; return 1; }; }

[ -n "$VERSION" ] || { echo "no project version in CMakeLists.txt"; exit 1; }
[ -f "$DEB" ] || { echo "no package at $DEB"; exit 1; }
echo "== $DEB (expected version $VERSION-1, $ARCH) =="

# --- Control data -----------------------------------------------------------------------
field() { dpkg-deb -f "$DEB" "$1"; }
control_fields() {
  same "$(field Package)" "$NAME" && same "$(field Version)" "$VERSION-1" &&
    same "$(field Architecture)" "$ARCH" && same "$(field Priority)" optional &&
    contains "$(field Section)" '^(misc|science|utils)$' &&
    contains "$(field Maintainer)" '^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$' &&
    contains "$(field Installed-Size)" '^[0-9]+$'
}
check "control: name, version, architecture, priority, section, maintainer, size" control_fields

depends_on() {  # every named package is in Depends, each as a whole name
  local depends; depends="$(field Depends | tr ',|' '\n\n' | sed 's/^ *//; s/ .*//')"
  for p in "$@"; do has_line "$depends" "$p" || return 1; done
}
check "control: depends on the C++ and Qt libraries found in the programs" \
  depends_on libc6 libstdc++6 libgcc-s1 libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6
check "control: depends on the font the windows are laid out for" depends_on fonts-dejavu-extra

description() {
  local text; text="$(field Description)"
  local synopsis; synopsis="$(printf '%s\n' "$text" | head -1)"
  contains "$synopsis" '^[a-z].{10,70}[^.]$' && contains "$synopsis" 'Suunto' &&
    ! contains "$synopsis" "^$NAME" >/dev/null &&
    [ "$(printf '%s\n' "$text" | tail -n +2 | wc -l)" -ge 4 ] &&
    ! printf '%s\n' "$text" | grep -Eq '.{81}' && contains "$text" "$CLI"
}
check "control: a synopsis and a long description that names both programs" description

# --- Files ------------------------------------------------------------------------------
expected_files() {
  printf '%s\n' "./usr/bin/$NAME" "./usr/bin/$CLI" \
    "./usr/share/applications/$APP_ID.desktop" \
    "./usr/share/doc/$NAME/changelog.Debian.gz" "./usr/share/doc/$NAME/copyright" \
    "./usr/share/icons/hicolor/scalable/apps/$APP_ID.svg" \
    "./usr/share/man/man1/$NAME.1.gz" "./usr/share/man/man1/$CLI.1.gz" \
    "./usr/share/metainfo/$APP_ID.metainfo.xml" "./usr/share/lintian/overrides/$NAME"
  for size in 16 32 48 64 128 256; do
    echo "./usr/share/icons/hicolor/${size}x${size}/apps/$APP_ID.png"
  done
}
# "mode owner path" of every entry that is not a folder, sorted by path.
listing() { dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort -k3; }
check "files: exactly the programs, desktop entry, icons, man pages, metadata and docs" \
  same "$(listing | awk '{ print $3 }')" "$(expected_files | sort)"
modes() {
  same "$(listing | awk '$3 ~ /^\.\/usr\/bin\// { print $1, $2; next } { print "data", $1, $2 }' | sort -u)" \
    "$(printf '%s\n' "-rwxr-xr-x root/root" "data -rw-r--r-- root/root")" &&
    same "$(dpkg-deb -c "$DEB" | awk '$1 ~ /^d/ { print $1, $2 }' | sort -u)" "drwxr-xr-x root/root"
}
check "files: programs 755, everything else 644, folders 755, all owned by root" modes

ROOT="$WORK/extracted"
dpkg-deb -x "$DEB" "$ROOT"

desktop_entry() {
  local entry="$ROOT/usr/share/applications/$APP_ID.desktop"
  contains "$(cat "$entry")" "^Exec=/usr/bin/$NAME\$" && contains "$(cat "$entry")" "^Icon=$APP_ID\$" &&
    silent desktop-file-validate "$entry"
}
check "desktop entry: runs /usr/bin/$NAME (not the staging folder), valid" desktop_entry

icons() {
  for size in 16 32 48 64 128 256; do
    local png="$ROOT/usr/share/icons/hicolor/${size}x${size}/apps/$APP_ID.png"
    # A PNG's width and height stand at bytes 16 to 23 of its header.
    same "$(od -An -tx1 -j16 -N8 "$png" | tr -d ' \n')" "$(printf '%08x%08x' "$size" "$size")" || return 1
  done
  contains "$(head -c 300 "$ROOT/usr/share/icons/hicolor/scalable/apps/$APP_ID.svg")" '<svg'
}
check "icons: every PNG has the size of its folder, the scalable one is SVG" icons

# --- Man pages --------------------------------------------------------------------------
man_page() {
  local page="$ROOT/usr/share/man/man1/$1.1.gz"
  gzip -t "$page" || return 1
  # gzip -n: no file name (flag byte 3, bit 3) and no time stamp (bytes 4 to 7).
  same "$(od -An -tx1 -j3 -N5 "$page" | tr -d ' \n')" "0000000000" || return 1
  local text; text="$(zcat "$page")"
  contains "$text" "^\.TH $(echo "$1" | tr a-z A-Z) 1 " &&
    same "$(printf '%s\n' "$text" | sed -n '/^\.SH NAME/{n;p}' | cut -d' ' -f1-2)" "$1 \\-" &&
    silent groff -man -Tutf8 -ww -z <(printf '%s\n' "$text") &&
    silent sh -c 'MANWIDTH=80 man --warnings -l "$1" >/dev/null' sh "$page" &&
    contains "$(MANWIDTH=80 man -l "$page" 2>/dev/null)" '^OPTIONS'
}
check "man page of $NAME: gzip -9n, renders without a warning" man_page "$NAME"
check "man page of $CLI: gzip -9n, renders without a warning" man_page "$CLI"
cli_help_documented() {  # every long option and exit status the program's help names is in its page
  local page; page="$(MANWIDTH=200 man -l "$ROOT/usr/share/man/man1/$CLI.1.gz" 2>/dev/null)"
  local help; help="$("$ROOT/usr/bin/$CLI" --help 2>&1)"
  local options; options="$(printf '%s\n' "$help" | grep -oE -- '--[a-z][a-z-]+' | sort -u)"
  [ -n "$options" ] || { echo "no options in: $CLI --help"; return 1; }
  for option in $options; do
    contains "$page" "(^|[^a-z-])${option}([^a-z-]|\$)" >/dev/null || { echo "$option is not in the man page"; return 1; }
  done
  # The exit statuses: a line "  N  text" each in the help's last list, "       N  text" in the page's.
  local statuses; statuses="$(printf '%s\n' "$help" | sed -n '/^R.*ckgabewert:$/,/^$/p' | sed -n 's/^  \([0-9][0-9]*\) .*/\1/p')"
  [ -n "$statuses" ] || { echo "no exit statuses in: $CLI --help"; return 1; }
  same "$(printf '%s\n' "$page" | sed -n '/^EXIT STATUS$/,/^[A-Z]/p' | sed -n 's/^       \([0-9][0-9]*\) .*/\1/p')" "$statuses"
}
check "man page of $CLI: names every option and exit status of its --help" cli_help_documented

# --- Metadata, copyright, changelog -----------------------------------------------------
METAINFO="$ROOT/usr/share/metainfo/$APP_ID.metainfo.xml"
metainfo() {
  local report; report="$(appstreamcli validate --no-net --no-color "$METAINFO" 2>&1)" || { echo "$report"; return 1; }
  ! contains "$report" '^(E|W):' >/dev/null || { echo "$report"; return 1; }
  local xml; xml="$(cat "$METAINFO")"
  contains "$xml" "<id>$APP_ID</id>" && contains "$xml" '<component type="desktop-application">' &&
    contains "$xml" "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" &&
    contains "$xml" "<release version=\"$VERSION\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"" &&
    contains "$xml" "<binary>$NAME</binary>" && contains "$xml" "<binary>$CLI</binary>" &&
    contains "$xml" '<metadata_license>CC0-1.0</metadata_license>' && contains "$xml" '<content_rating'
}
check "metadata: appstreamcli finds no error or warning; id, launchable, version, programs" metainfo
metainfo_tree() {  # the metadata together with the desktop entry and icons it points to
  local report; report="$(appstreamcli validate-tree --no-net --no-color "$ROOT" 2>&1)" || { echo "$report"; return 1; }
  ! contains "$report" '^(E|W):' >/dev/null || { echo "$report"; return 1; }
}
check "metadata: appstreamcli validate-tree of the installed files, no error or warning" metainfo_tree

docs() {
  local copyright="$ROOT/usr/share/doc/$NAME/copyright"
  contains "$(head -1 "$copyright")" '^Format: https://www\.debian\.org/doc/packaging-manuals/copyright-format/1\.0/$' &&
    contains "$(cat "$copyright")" '^Files: \*$' &&
    contains "$(zcat "$ROOT/usr/share/doc/$NAME/changelog.Debian.gz" | head -1)" "^$NAME \\($VERSION-1\\) [a-z]+; urgency=" &&
    contains "$(zcat "$ROOT/usr/share/doc/$NAME/changelog.Debian.gz")" "^ -- $(field Maintainer | sed 's/[][\.*^$+?(){}|]/\\&/g')  [A-Z][a-z]{2}, [0-9]{2} [A-Z][a-z]{2} [0-9]{4} [0-9:]{8} \\+0000\$"
}
check "docs: machine-readable copyright, changelog entry of this version by the maintainer" docs

# --- Programs ---------------------------------------------------------------------------
hardened() {
  for program in "$NAME" "$CLI"; do
    local elf="$ROOT/usr/bin/$program"
    local sections; sections="$(readelf -SW "$elf")"
    ! contains "$sections" '\.(symtab|debug_info) ' >/dev/null || { echo "$program is not stripped"; return 1; }
    contains "$(readelf -hW "$elf")" 'Type: +DYN' || { echo "$program is no PIE"; return 1; }
    contains "$(readelf -lW "$elf")" 'GNU_RELRO' && contains "$(readelf -dW "$elf")" 'BIND_NOW' || return 1
    contains "$(readelf -sW --dyn-syms "$elf")" '__stack_chk_fail' || return 1
  done
}
check "programs: stripped, position-independent, full RELRO, stack protector" hardened

libraries_provided() {  # every library a program loads directly comes from a package in Depends
  local depends; depends="$(field Depends | tr ',|' '\n\n' | sed 's/^ *//; s/ .*//')"
  for program in "$NAME" "$CLI"; do
    local resolved; resolved="$(ldd "$ROOT/usr/bin/$program")"
    for library in $(readelf -dW "$ROOT/usr/bin/$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
      local path; path="$(printf '%s\n' "$resolved" | awk -v l="$library" '
        $1 == l { print $3; exit }                               # name => path (address)
        { n = split($1, part, "/"); if (part[n] == l) { print $1; exit } }  # the loader: path (address)
      ')"
      [ -n "$path" ] || { echo "$program: $library not found"; return 1; }
      local owner; owner="$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(realpath "$path")" 2>/dev/null ||
                             dpkg -S "${path#/usr}" 2>/dev/null)"
      owner="${owner%%:*}"
      has_line "$depends" "$owner" >/dev/null || { echo "$program: $library ($path) is in '$owner', not in Depends"; return 1; }
    done
  done
}
check "programs: every library they need is provided by a package in Depends" libraries_provided

versions() {  # each program answers --version in a plain environment without a display
  local root="$1"
  for program in "$NAME" "$CLI"; do
    local out
    out="$(timeout 20 env -i PATH=/usr/bin:/bin HOME="$WORK/home" LANG=C.UTF-8 "$root/usr/bin/$program" --version 2>&1)" ||
      { echo "$program --version failed: $out"; return 1; }
    contains "$out" "$VERSION" || return 1
  done
}
check "programs: both answer --version with $VERSION without a display" versions "$ROOT"

window_runs() {  # the window program starts on an X server (Xvfb) with its platform plugin and
                 # fonts and keeps running until it is ended after 5 seconds
  mkdir -p "$WORK/home"
  local out status
  out="$(env -i PATH=/usr/bin:/bin HOME="$WORK/home" LANG=C.UTF-8 \
           xvfb-run -a timeout 5 "$ROOT/usr/bin/$NAME" 2>&1)"
  status=$?
  [ "$status" -eq 124 ] || { echo "ended by itself with status $status: $out"; return 1; }
  [ -d "$WORK/home/.local/share/Vyper-Grundelnetz/Tauchprofile" ] || { echo "no profile folder made"; return 1; }
}
check "programs: the window program starts under Xvfb and keeps running" window_runs

# --- Lintian ----------------------------------------------------------------------------
lintian_clean() {
  local report; report="$(lintian --fail-on error --display-info "$DEB" 2>&1)"
  local status=$?
  [ -n "$report" ] && printf '%s\n' "$report" | sed 's/^/# lintian: /' >&3
  return $status
}
check "lintian: no error" lintian_clean 3>&1

# --- Installing -------------------------------------------------------------------------
apt_resolves() {  # apt finds every dependency on this machine (simulated, changes nothing)
  local out; out="$(apt-get -s -o Debug::NoLocking=1 install "$DEB" 2>&1)" || { echo "$out"; return 1; }
  contains "$out" "^Inst $NAME " || contains "$out" "$NAME is already the newest version"
}
check "install: apt resolves the dependencies" apt_resolves

# A throwaway root with a copy of this machine's package database: dpkg checks the
# dependencies and file conflicts against every installed package, unpacks and registers the
# package, and removes it again, without touching the machine itself.
INSTROOT="$WORK/root"
mkdir -p "$INSTROOT/var/lib"
cp -a /var/lib/dpkg "$INSTROOT/var/lib/"
dpkg_root() { dpkg --root="$INSTROOT" --force-not-root --force-script-chrootless --no-triggers "$@"; }
if dpkg --root="$INSTROOT" -s "$NAME" >/dev/null 2>&1; then
  dpkg_root --purge "$NAME" >/dev/null 2>&1  # this machine has it installed: start without it
fi
installed() {
  dpkg_root -i "$DEB" || return 1
  contains "$(dpkg --root="$INSTROOT" -s "$NAME")" '^Status: install ok installed$' &&
    same "$(dpkg --root="$INSTROOT" -L "$NAME" | while read -r f; do [ -d "$INSTROOT$f" ] || echo ".$f"; done | sort)" \
      "$(expected_files | sort)" &&
    versions "$INSTROOT"
}
check "install: dpkg installs it (dependencies and conflicts checked), both programs run" installed
removed() {
  dpkg_root -r "$NAME" || return 1
  ! dpkg --root="$INSTROOT" -s "$NAME" 2>/dev/null | grep -q '^Status: install ok installed' &&
    same "$(find "$INSTROOT/usr" -type f 2>/dev/null)" ""
}
check "install: dpkg removes it without leaving a file" removed

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
