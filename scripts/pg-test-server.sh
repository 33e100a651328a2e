# Sourced by the test script: starts a throwaway PostgreSQL cluster on 127.0.0.1
# and exports AMBRIX_TEST_PG (a connection URL the repository tests use).
# When it cannot, it says why on stderr and returns 1.
pg_test_server_start() {
  local bindir
  bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
    echo "test: PostgreSQL server not started: no initdb under /usr/lib/postgresql/*/bin" >&2
    return 1
  fi
  local user=postgres
  if ! id "$user" >/dev/null 2>&1; then
    echo "test: PostgreSQL server not started: there is no user '$user' to run it" >&2
    return 1
  fi
  PG_TEST_DIR=$(mktemp -d /tmp/ambrix-pg.XXXXXX)
  chown "$user" "$PG_TEST_DIR"
  local port=55432
  while (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null; do port=$((port + 1)); done
  local run="runuser -u $user --"
  [ "$(id -u)" -eq 0 ] || run=""
  PG_TEST_BIN=$bindir PG_TEST_RUN=$run
  if ! $run "$bindir/initdb" -D "$PG_TEST_DIR/data" -A trust -U ambrix -E UTF8 >"$PG_TEST_DIR/initdb.log" 2>&1; then
    echo "test: PostgreSQL server not started: initdb failed:" >&2
    tail -n 5 "$PG_TEST_DIR/initdb.log" >&2
    pg_test_server_stop
    return 1
  fi
  if ! $run "$bindir/pg_ctl" -D "$PG_TEST_DIR/data" -l "$PG_TEST_DIR/log" -w \
      -o "-h 127.0.0.1 -p $port -k $PG_TEST_DIR" start >/dev/null 2>&1; then
    echo "test: PostgreSQL server not started: pg_ctl start failed:" >&2
    tail -n 5 "$PG_TEST_DIR/log" >&2 2>/dev/null
    pg_test_server_stop
    return 1
  fi
  export AMBRIX_TEST_PG="postgresql://ambrix@127.0.0.1:$port/postgres"
  echo "test: PostgreSQL test server on 127.0.0.1:$port" >&2
}

pg_test_server_stop() {
  [ -n "${PG_TEST_DIR:-}" ] || return 0
  $PG_TEST_RUN "$PG_TEST_BIN/pg_ctl" -D "$PG_TEST_DIR/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$PG_TEST_DIR"
  PG_TEST_DIR=
}

# True when the run is a CI run: CI set to anything but "", "0" or "false"
# (the tests read it the same way: tests/support/skip_outside_ci.h).
ci_run() {
  case "${CI:-}" in "" | 0 | false) return 1 ;; *) return 0 ;; esac
}

# Starts the server for the tests. Outside CI a server that cannot start only
# costs its tests (they skip, saying why); under CI it ends the run at once.
pg_test_server_for_tests() {
  pg_test_server_start && return 0
  if ci_run; then
    echo "test: error: CI is set and the PostgreSQL test server did not start (see above); its tests may not be skipped" >&2
    return 1
  fi
  echo "test: the PostgreSQL tests will be skipped" >&2
}
