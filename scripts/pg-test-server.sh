# Sourced by the test script: starts a throwaway PostgreSQL cluster on 127.0.0.1
# and exports AMBRIX_TEST_PG (a connection URL the repository tests use).
pg_test_server_start() {
  local bindir
  bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
  [ -n "$bindir" ] && [ -x "$bindir/initdb" ] || return 1
  local user=postgres
  id "$user" >/dev/null 2>&1 || return 1
  PG_TEST_DIR=$(mktemp -d /tmp/ambrix-pg.XXXXXX)
  chown "$user" "$PG_TEST_DIR"
  local port=55432
  while (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null; do port=$((port + 1)); done
  local run="runuser -u $user --"
  [ "$(id -u)" -eq 0 ] || run=""
  $run "$bindir/initdb" -D "$PG_TEST_DIR/data" -A trust -U ambrix -E UTF8 >/dev/null || return 1
  $run "$bindir/pg_ctl" -D "$PG_TEST_DIR/data" -l "$PG_TEST_DIR/log" -w \
      -o "-h 127.0.0.1 -p $port -k $PG_TEST_DIR" start >/dev/null || return 1
  PG_TEST_BIN=$bindir PG_TEST_RUN=$run
  export AMBRIX_TEST_PG="postgresql://ambrix@127.0.0.1:$port/postgres"
  echo "test: PostgreSQL test server on 127.0.0.1:$port" >&2
}

pg_test_server_stop() {
  [ -n "${PG_TEST_DIR:-}" ] || return 0
  $PG_TEST_RUN "$PG_TEST_BIN/pg_ctl" -D "$PG_TEST_DIR/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$PG_TEST_DIR"
  PG_TEST_DIR=
}
