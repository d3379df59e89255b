# Sourced by scripts/test-windows: the line database as the Windows programs use it, under
# Wine, against a throwaway PostgreSQL server of this machine (the one the line's suites
# use, TLS with a test authority, SCRAM passwords in a libpq password file). Every
# connection checks the server's certificate (sslmode=verify-full):
#   - tallowick-cli.exe db init as the database's owner, the book's range as its
#     administrator;
#   - init --serial next on COM8 and COM9 at once, two stations: two numbers, never one twice;
#   - testrun and history on the line, with the station's records;
#   - the server stopped: a run goes on and its record waits; started again, sync forwards
#     it, and every record is on the line exactly once however often sync runs;
#   - a certificate of another authority refused, and said so;
#   - the desktop tool on the line: the book window shows the line's numbers, a whole run
#     reaches the line's history; pictured.
# Uses result, log, root, native, win and cli of scripts/test-windows.

# The line's cluster is stopped when the script ends, however it ends.
windows_line_cluster_stop() {
  local desc="$root/$win/line-cluster"
  [ -f "$desc" ] && "$native/tests/support/tallowick_test_pg_cluster" stop "$desc" >>"$log" 2>&1
  rm -f "$desc"
}

windows_line_checks() {
  local cluster="$native/tests/support/tallowick_test_pg_cluster" desc="$root/$win/line-cluster"
  local out="$root/$win/line" t=$SECONDS
  rm -rf "$out" "$WINEPREFIX/drive_c/tallowick-line"
  mkdir -p "$out" "$WINEPREFIX/drive_c/tallowick-line"
  if ! "$cluster" start "$desc" >>"$log" 2>&1; then
    result failed "line: a throwaway PostgreSQL server" "see $log"
    return
  fi
  local d
  mapfile -t d <"$desc"
  local port=${d[1]} ca=${d[2]} otherCa=${d[3]} passFile=${d[4]} db=wine_line
  # Natively, as the database's owner.
  owner() {
    psql -q -X -v ON_ERROR_STOP=1 -At "host=127.0.0.1 port=$port dbname=$1 user=line_owner \
passfile=$passFile sslmode=verify-full sslrootcert=$ca" -c "$2" 2>>"$log"
  }
  # libpq reads a backslash in a connection text as an escape: Windows paths with slashes.
  winPath() { winepath -w "$1" | tr '\\' '/'; }
  local wPass wCa wOther
  wPass=$(winPath "$passFile")
  wCa=$(winPath "$ca")
  wOther=$(winPath "$otherCa")
  line() {  # line USER [CA]
    echo "host=127.0.0.1 port=$port dbname=$db user=$1 passfile=$wPass sslmode=verify-full \
sslrootcert=${2:-$wCa}"
  }
  # A station's command: its user, its name, its own history.
  station() {  # station N NAME COMMAND...
    local n=$1 name=$2
    shift 2
    wine "$cli" "$@" --database "$(line "station$n")" --station "$name" \
      --history "C:\\tallowick-line\\$name.sqlite3"
  }
  if ! owner postgres "CREATE DATABASE $db" >/dev/null; then
    result failed "line: a database of the owner's" "see $log"
    windows_line_cluster_stop
    return
  fi
  result passed "line: a throwaway PostgreSQL server with TLS" "$((SECONDS - t)) s"

  t=$SECONDS
  if wine "$cli" db init --database "$(line line_owner)" >"$out/db-init.log" 2>&1 &&
    owner "$db" "GRANT tallowick_station TO station1, station2;
                 GRANT tallowick_admin TO line_admin" >/dev/null &&
    wine "$cli" book add --type ЕД800 --from 1 --to 99 --database "$(line line_admin)" \
      >"$out/book-add.log" 2>&1; then
    result passed "line: tallowick-cli.exe db init, book add (verify-full)" "$((SECONDS - t)) s"
  else
    cat "$out/db-init.log" "$out/book-add.log" 2>/dev/null | tail -8
    result failed "line: tallowick-cli.exe db init, book add (verify-full)"
  fi

  # Two stations, each initialising its printer with the book's next number at once.
  t=$SECONDS
  station 1 wine1 init --port COM8 --serial next --continue-after 0 >"$out/init8.log" 2>&1 &
  local first=$!
  station 2 wine2 init --port COM9 --serial next --continue-after 0 >"$out/init9.log" 2>&1 &
  local second=$! ok=1 a b
  wait "$first" || ok=0
  wait "$second" || ok=0
  a=$(sed -n 's/^Шаг 2\. Заводской номер из книги: //p' "$out/init8.log" | tr -d '\r')
  b=$(sed -n 's/^Шаг 2\. Заводской номер из книги: //p' "$out/init9.log" | tr -d '\r')
  if ((ok)) && [ -n "$a" ] && [ -n "$b" ] && [ "$a" != "$b" ] &&
    [ "$(owner "$db" "SELECT count(*) FROM tallowick.serial_number
                      WHERE number IN ('$a', '$b') AND state = 'used'")" = 2 ]; then
    result passed "line: init --serial next on COM8 and COM9 at once, two stations" "$a, $b"
  else
    tail -n 5 "$out/init8.log" "$out/init9.log"
    result failed "line: init --serial next on COM8 and COM9 at once, two stations" "'$a' '$b'"
  fi

  t=$SECONDS
  if station 1 wine1 testrun --port COM8 --pause 0 --no-fiscal >"$out/testrun.log" 2>&1 &&
    station 1 wine1 sync >"$out/sync1.log" 2>&1 &&
    station 1 wine1 history >"$out/history.log" 2>&1 &&
    [ "$(grep -c "wine1" "$out/history.log")" -ge 2 ] &&
    grep -q "wine2" "$out/history.log"; then
    result passed "line: testrun, sync and history on the line" "$((SECONDS - t)) s"
  else
    tail -n 8 "$out/testrun.log" "$out/sync1.log" "$out/history.log"
    result failed "line: testrun, sync and history on the line"
  fi

  # The server away: the run goes on, its record waits; back: forwarded once.
  t=$SECONDS
  local waiting
  if "$cluster" pause "$desc" >>"$log" 2>&1 &&
    station 1 wine1 testrun --port COM8 --pause 0 --no-fiscal >"$out/testrun-away.log" 2>&1 &&
    { station 1 wine1 sync --status >"$out/status-away.log" 2>&1 || true; } &&
    "$cluster" resume "$desc" >>"$log" 2>&1 &&
    station 1 wine1 sync >"$out/sync2.log" 2>&1 &&
    station 1 wine1 sync >"$out/sync3.log" 2>&1 &&
    station 2 wine2 sync >"$out/sync4.log" 2>&1; then
    waiting=$(sed -n 's/^Ожидают отправки записей: //p' "$out/status-away.log" | tr -d '\r')
    local runs distinct
    runs=$(owner "$db" "SELECT count(*) FROM tallowick.run")
    distinct=$(owner "$db" "SELECT count(DISTINCT uid) FROM tallowick.run")
    # Two initialisations and two test runs.
    if [ "$waiting" -ge 1 ] 2>/dev/null && [ "$runs" = 4 ] && [ "$distinct" = 4 ]; then
      result passed "line: the server stopped and started, every record once" \
        "waited $waiting, $runs on the line, $((SECONDS - t)) s"
    else
      result failed "line: the server stopped and started, every record once" \
        "waited '$waiting', $runs on the line, $distinct distinct"
    fi
  else
    tail -n 5 "$out/testrun-away.log" "$out/status-away.log" "$out/sync2.log" 2>/dev/null
    result failed "line: the server stopped and started, every record once" "see $out"
  fi

  # Another authority's certificate: refused, and the user told why.
  local code=0
  wine "$cli" sync --database "$(line station1 "$wOther")" --station wine1 \
    --history "C:\\tallowick-line\\wine1.sqlite3" >"$out/other-ca.log" 2>&1 || code=$?
  if [ "$code" -ne 0 ] && grep -qi "certificate\|сертификат" "$out/other-ca.log"; then
    result passed "line: a certificate of another authority refused" "exit code $code"
  else
    cat "$out/other-ca.log"
    result failed "line: a certificate of another authority refused" "exit code $code"
  fi

  # The desktop tool on the line, through its windows: the book window lists the line's
  # numbers, and a whole run on the built-in printer reaches the line's history when the
  # program ends.
  t=$SECONDS
  local shots="$root/$win/screenshots" desk
  mkdir -p "$shots"
  if timeout 900 wine "$win/tests/gui/tallowick-desktop-run.exe" --line --port sim \
    --shots "$(winepath -w "$shots")" -- --simulate --database "$(line station2)" \
    --station wine-desk >"$out/desktop.log" 2>&1 &&
    desk=$(owner "$db" "SELECT count(*) FROM tallowick.run WHERE station = 'wine-desk'") &&
    [ "$desk" = 1 ]; then
    result passed "line: tallowick.exe, the line's book listed, a whole run on the line" \
      "$((SECONDS - t)) s"
  else
    grep "drive:" "$out/desktop.log" | tail -n 8
    result failed "line: tallowick.exe, the line's book listed, a whole run on the line" \
      "on the line: '${desk:-}', see $out/desktop.log"
  fi
  windows_line_cluster_stop
}
