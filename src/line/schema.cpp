#include "line/schema.h"

#include <string>
#include <vector>

namespace tallowick::line {

namespace {

// The group roles, made when missing. Roles belong to the whole server, so the owners of
// two databases may make them at the same moment: the one that comes second finds them.
constexpr const char* kRoles = R"sql(
DO $$
DECLARE
  v_role text;
BEGIN
  FOREACH v_role IN ARRAY ARRAY['tallowick_station', 'tallowick_admin'] LOOP
    IF NOT EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = v_role) THEN
      BEGIN
        EXECUTE format('CREATE ROLE %I NOLOGIN', v_role);
      EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL;
      END;
    END IF;
  END LOOP;
END
$$;
)sql";

// The tables of the newest version, for a database that has none yet.
//
// The book: one row per serial number. A number is free, in one station's reserved block,
// taken by one station right before its printer hears it, or used (sent to a printer) for
// good; only an administrator's release, kept in release_audit, makes it free again. Every
// change of a number is an event.
//
// The history: the records the stations forward, each once (uid is the identity it got
// when it was made), with the line's own ids. Times are milliseconds since 1970 UTC, as in
// the stations' records.
constexpr const char* kTables = R"sql(
CREATE SCHEMA IF NOT EXISTS tallowick;

CREATE TABLE tallowick.schema_version (
  single boolean PRIMARY KEY DEFAULT true CHECK (single),
  version integer NOT NULL,
  changed_at timestamptz NOT NULL DEFAULT now(),
  changed_by text NOT NULL DEFAULT session_user
);

CREATE TABLE tallowick.serial_number (
  number text PRIMARY KEY,
  printer_type text NOT NULL,
  seq integer NOT NULL CHECK (seq BETWEEN 0 AND 99999),
  state text NOT NULL DEFAULT 'free' CHECK (state IN ('free', 'reserved', 'taken', 'used')),
  station text CHECK (btrim(station) <> ''),
  confirmed boolean,
  changed_at timestamptz NOT NULL DEFAULT now(),
  used_at timestamptz,
  CHECK (number = printer_type || lpad(seq::text, 5, '0')),
  CHECK ((state = 'free') = (station IS NULL)),
  CHECK ((state = 'used') = (used_at IS NOT NULL)),
  CHECK (confirmed IS NULL OR state = 'used')
);
CREATE INDEX serial_number_free ON tallowick.serial_number (printer_type, seq)
  WHERE state = 'free';
CREATE INDEX serial_number_held ON tallowick.serial_number (station, printer_type, state, seq)
  WHERE station IS NOT NULL;

CREATE TABLE tallowick.event (
  id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  number text NOT NULL,
  event text NOT NULL,
  station text,
  db_user text NOT NULL DEFAULT session_user,
  at timestamptz NOT NULL DEFAULT now(),
  detail text NOT NULL DEFAULT ''
);
CREATE INDEX event_by_number ON tallowick.event (number, id);

CREATE TABLE tallowick.release_audit (
  id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  number text NOT NULL,
  previous_state text NOT NULL,
  previous_station text,
  previous_confirmed boolean,
  reason text NOT NULL CHECK (btrim(reason) <> ''),
  released_by text NOT NULL DEFAULT session_user,
  released_at timestamptz NOT NULL DEFAULT now()
);
CREATE INDEX release_audit_by_number ON tallowick.release_audit (number, id);

CREATE TABLE tallowick.run (
  id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  uid uuid NOT NULL UNIQUE,
  station text NOT NULL,
  kind text NOT NULL CHECK (kind IN ('testrun', 'init')),
  started_at bigint NOT NULL,
  ended_at bigint NOT NULL,
  utc_offset_minutes integer NOT NULL,
  computer text NOT NULL,
  user_name text NOT NULL,
  port text NOT NULL,
  model text NOT NULL,
  firmware text NOT NULL,
  country text NOT NULL,
  serial_number text NOT NULL,
  passes text NOT NULL,
  pause_ms text NOT NULL,
  outcome text NOT NULL CHECK (outcome IN ('finished', 'finished_with_errors', 'aborted',
                                           'stopped', 'input_refused')),
  message text NOT NULL,
  error_count integer NOT NULL,
  duration_ms bigint NOT NULL,
  language text NOT NULL DEFAULT '',
  forwarded_at timestamptz NOT NULL DEFAULT now(),
  forwarded_by text NOT NULL DEFAULT session_user
);
CREATE INDEX run_by_start ON tallowick.run (started_at DESC, id DESC);
CREATE INDEX run_by_serial_number ON tallowick.run (serial_number, started_at DESC, id DESC);
CREATE INDEX run_by_station ON tallowick.run (station, started_at DESC, id DESC);
CREATE INDEX run_by_model ON tallowick.run (model, started_at DESC, id DESC);
CREATE INDEX run_by_outcome ON tallowick.run (outcome, started_at DESC, id DESC);

-- The log and the titled steps of a record, kept together beside it: a list of runs never
-- reads them. The log is an array of its lines; each step an object with the keys title,
-- command, result, code, message and elapsed_ms, in the order of the run.
CREATE TABLE tallowick.run_detail (
  run_id bigint PRIMARY KEY REFERENCES tallowick.run (id),
  log jsonb NOT NULL CHECK (jsonb_typeof(log) = 'array'),
  steps jsonb NOT NULL CHECK (jsonb_typeof(steps) = 'array')
);
)sql";

// upgrades[i] takes the tables of version i + 1 to version i + 2.
const std::vector<const char*> kUpgrades = {
    // 1 → 2: the language a record's texts were written in; empty for the Russian ones before.
    "ALTER TABLE tallowick.run ADD COLUMN language text NOT NULL DEFAULT ''",
};

// The book's changes, made again at every initialisation. Each runs with its owner's
// rights, so that a station may change the book only through them; none is anyone's
// until the grants below.
constexpr const char* kFunctions = R"sql(
-- A number held by `p_station` (reserved, taken or already used by it) becomes used.
-- o_state and o_holder: the number as it was found (nothing when it is not in the book).
CREATE OR REPLACE FUNCTION tallowick.use_number(p_station text, p_number text,
    p_at timestamptz, p_event text, OUT o_done boolean, OUT o_state text, OUT o_holder text)
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $$
BEGIN
  SELECT n.state, n.station INTO o_state, o_holder
    FROM tallowick.serial_number n WHERE n.number = p_number FOR UPDATE;
  o_done := FOUND AND o_holder = p_station AND o_state IN ('reserved', 'taken', 'used');
  IF o_done AND o_state <> 'used' THEN
    UPDATE tallowick.serial_number
       SET state = 'used', used_at = p_at, changed_at = now()
     WHERE number = p_number;
    INSERT INTO tallowick.event (number, event, station) VALUES (p_number, p_event, p_station);
  END IF;
END
$$;

-- Takes one number for `p_station` in one statement: when it is free, or reserved or
-- already taken by the same station.
CREATE OR REPLACE FUNCTION tallowick.take(p_station text, p_number text,
    OUT o_done boolean, OUT o_state text, OUT o_holder text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
BEGIN
  UPDATE tallowick.serial_number n
     SET state = 'taken', station = p_station, changed_at = now()
   WHERE n.number = p_number
     AND (n.state = 'free' OR (n.state IN ('reserved', 'taken') AND n.station = p_station));
  o_done := FOUND;
  IF o_done THEN
    INSERT INTO tallowick.event (number, event, station) VALUES (p_number, 'take', p_station);
  ELSE
    SELECT n.state, n.station INTO o_state, o_holder
      FROM tallowick.serial_number n WHERE n.number = p_number;
  END IF;
END
$$;

-- The lowest number of the type that the station may take: from its own block first, then
-- a free one. A row that another taker holds is passed over, not waited for.
CREATE OR REPLACE FUNCTION tallowick.take_next(p_station text, p_type text)
RETURNS text
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
DECLARE
  v_number text;
BEGIN
  UPDATE tallowick.serial_number n
     SET state = 'taken', changed_at = now()
   WHERE n.number = (SELECT r.number FROM tallowick.serial_number r
                      WHERE r.station = p_station AND r.printer_type = p_type
                        AND r.state = 'reserved'
                      ORDER BY r.seq LIMIT 1 FOR UPDATE SKIP LOCKED)
  RETURNING n.number INTO v_number;
  IF v_number IS NULL THEN
    UPDATE tallowick.serial_number n
       SET state = 'taken', station = p_station, changed_at = now()
     WHERE n.number = (SELECT f.number FROM tallowick.serial_number f
                        WHERE f.printer_type = p_type AND f.state = 'free'
                        ORDER BY f.seq LIMIT 1 FOR UPDATE SKIP LOCKED)
       AND n.state = 'free'
    RETURNING n.number INTO v_number;
  END IF;
  IF v_number IS NOT NULL THEN
    INSERT INTO tallowick.event (number, event, station) VALUES (v_number, 'take', p_station);
  END IF;
  RETURN v_number;
END
$$;

CREATE OR REPLACE FUNCTION tallowick.mark_used(p_station text, p_number text,
    OUT o_done boolean, OUT o_state text, OUT o_holder text)
LANGUAGE sql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
  SELECT * FROM tallowick.use_number(p_station, p_number, now(), 'use')
$$;

-- The user's answer about the printer the number was written into; the number is used.
CREATE OR REPLACE FUNCTION tallowick.confirm(p_station text, p_number text,
    p_correct boolean, OUT o_done boolean, OUT o_state text, OUT o_holder text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
BEGIN
  SELECT u.o_done, u.o_state, u.o_holder INTO o_done, o_state, o_holder
    FROM tallowick.use_number(p_station, p_number, now(), 'use') u;
  IF o_done THEN
    UPDATE tallowick.serial_number SET confirmed = p_correct, changed_at = now()
     WHERE number = p_number;
    INSERT INTO tallowick.event (number, event, station)
    VALUES (p_number, CASE WHEN p_correct THEN 'confirm_correct' ELSE 'confirm_wrong' END,
            p_station);
  END IF;
END
$$;

-- Tops the station's block of the type up to `p_size` numbers (the lowest free first) and
-- gives every number of it.
CREATE OR REPLACE FUNCTION tallowick.reserve_block(p_station text, p_type text,
    p_size integer)
RETURNS SETOF text
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
DECLARE
  v_held integer;
BEGIN
  IF p_size IS NULL OR p_size < 0 OR p_size > 1000 THEN
    RAISE EXCEPTION 'a block holds 0 to 1000 numbers, not %', p_size USING ERRCODE = '22023';
  END IF;
  PERFORM pg_advisory_xact_lock(hashtext('tallowick.reserve_block'),
                                hashtext(p_station || '/' || p_type));
  SELECT count(*) INTO v_held FROM tallowick.serial_number
   WHERE station = p_station AND printer_type = p_type AND state = 'reserved';
  IF v_held < p_size THEN
    WITH picked AS (
      SELECT f.number FROM tallowick.serial_number f
       WHERE f.printer_type = p_type AND f.state = 'free'
       ORDER BY f.seq LIMIT p_size - v_held FOR UPDATE SKIP LOCKED
    ), reserved AS (
      UPDATE tallowick.serial_number n
         SET state = 'reserved', station = p_station, changed_at = now()
        FROM picked WHERE n.number = picked.number AND n.state = 'free'
      RETURNING n.number
    )
    INSERT INTO tallowick.event (number, event, station)
    SELECT number, 'reserve', p_station FROM reserved;
  END IF;
  RETURN QUERY SELECT n.number FROM tallowick.serial_number n
                WHERE n.station = p_station AND n.printer_type = p_type
                  AND n.state = 'reserved'
                ORDER BY n.seq;
END
$$;

-- Numbers the station used while the server was away (milliseconds since 1970 UTC). Those
-- it held become used; the others come back, as they are on the line, and are kept as
-- conflicts among the events.
CREATE OR REPLACE FUNCTION tallowick.report_used(p_station text, p_numbers text[],
    p_at_ms bigint[])
RETURNS TABLE (o_number text, o_state text, o_holder text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
DECLARE
  v_done boolean;
BEGIN
  FOR i IN 1 .. coalesce(array_length(p_numbers, 1), 0) LOOP
    SELECT u.o_done, u.o_state, u.o_holder INTO v_done, o_state, o_holder
      FROM tallowick.use_number(p_station, p_numbers[i], to_timestamp(p_at_ms[i] / 1000.0),
                                'use_offline') u;
    IF NOT v_done THEN
      INSERT INTO tallowick.event (number, event, station, detail)
      VALUES (p_numbers[i], 'use_offline_conflict', p_station,
              coalesce(o_state, 'unknown') || ' ' || coalesce(o_holder, ''));
      o_number := p_numbers[i];
      RETURN NEXT;
    END IF;
  END LOOP;
END
$$;

-- Adds the numbers of a range as free; those already in the book are left as they are and
-- listed.
CREATE OR REPLACE FUNCTION tallowick.add_range(p_type text, p_from integer, p_to integer,
    OUT o_added integer, OUT o_existing text[])
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
BEGIN
  IF p_from < 0 OR p_to > 99999 OR p_to < p_from THEN
    RAISE EXCEPTION 'no range of the book: % to %', p_from, p_to USING ERRCODE = '22023';
  END IF;
  WITH wanted AS (
    SELECT p_type || lpad(s::text, 5, '0') AS number, s AS seq
      FROM generate_series(p_from, p_to) s
  ), added AS (
    INSERT INTO tallowick.serial_number (number, printer_type, seq)
    SELECT number, p_type, seq FROM wanted
    ON CONFLICT (number) DO NOTHING
    RETURNING number
  ), logged AS (
    INSERT INTO tallowick.event (number, event) SELECT number, 'add' FROM added
  )
  SELECT (SELECT count(*) FROM added),
         ARRAY(SELECT w.number FROM wanted w
                WHERE w.number NOT IN (SELECT a.number FROM added a) ORDER BY w.seq)
    INTO o_added, o_existing;
END
$$;

-- Makes a number that is not free free again, with the reason kept for good.
CREATE OR REPLACE FUNCTION tallowick.release(p_number text, p_reason text,
    OUT o_done boolean, OUT o_state text, OUT o_holder text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
BEGIN
  IF p_reason IS NULL OR btrim(p_reason) = '' THEN
    RAISE EXCEPTION 'a release needs a reason' USING ERRCODE = '22023';
  END IF;
  SELECT n.state, n.station INTO o_state, o_holder
    FROM tallowick.serial_number n WHERE n.number = p_number FOR UPDATE;
  o_done := FOUND AND o_state <> 'free';
  IF o_done THEN
    INSERT INTO tallowick.release_audit
           (number, previous_state, previous_station, previous_confirmed, reason)
    SELECT number, state, station, confirmed, p_reason
      FROM tallowick.serial_number WHERE number = p_number;
    UPDATE tallowick.serial_number
       SET state = 'free', station = NULL, confirmed = NULL, used_at = NULL, changed_at = now()
     WHERE number = p_number;
    INSERT INTO tallowick.event (number, event, station, detail)
    VALUES (p_number, 'release', o_holder, p_reason);
  END IF;
END
$$;

-- A station's own book joins the line: its numbers to initialise are added as free where
-- the line lacks them, its initialised numbers become used by it where the line has them
-- free or in its hands. Every number comes back with what became of it: added, added_used,
-- marked_used, present, or conflict (used on the line, or held by another station), which
-- is changed in nothing.
CREATE OR REPLACE FUNCTION tallowick.import_book(p_station text, p_should text[],
    p_already text[])
RETURNS TABLE (o_number text, o_list text, o_outcome text, o_state text, o_holder text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$
DECLARE
  v_should boolean;
BEGIN
  FOR o_list, o_number IN
    SELECT l.list, l.number FROM (
      SELECT 1 AS part, u.i, 'should' AS list, u.n AS number
        FROM unnest(p_should) WITH ORDINALITY u (n, i)
      UNION ALL
      SELECT 2, u.i, 'already', u.n FROM unnest(p_already) WITH ORDINALITY u (n, i)) l
     ORDER BY l.part, l.i
  LOOP
    v_should := o_list = 'should';
    SELECT n.state, n.station INTO o_state, o_holder
      FROM tallowick.serial_number n WHERE n.number = o_number FOR UPDATE;
    IF NOT FOUND THEN
      INSERT INTO tallowick.serial_number (number, printer_type, seq, state, station, used_at)
      VALUES (o_number, left(o_number, 5), right(o_number, 5)::integer,
              CASE WHEN v_should THEN 'free' ELSE 'used' END,
              CASE WHEN v_should THEN NULL ELSE p_station END,
              CASE WHEN v_should THEN NULL ELSE now() END);
      o_outcome := CASE WHEN v_should THEN 'added' ELSE 'added_used' END;
    ELSIF v_should THEN
      o_outcome := CASE WHEN o_state = 'free' OR (o_holder = p_station AND o_state <> 'used')
                        THEN 'present' ELSE 'conflict' END;
    ELSIF o_state = 'free' OR (o_holder = p_station AND o_state IN ('reserved', 'taken')) THEN
      UPDATE tallowick.serial_number
         SET state = 'used', station = p_station, used_at = now(), changed_at = now()
       WHERE number = o_number;
      o_outcome := 'marked_used';
    ELSIF o_state = 'used' AND o_holder = p_station THEN
      o_outcome := 'present';
    ELSE
      o_outcome := 'conflict';
    END IF;
    IF o_outcome <> 'present' THEN
      INSERT INTO tallowick.event (number, event, station, detail)
      VALUES (o_number, 'import_' || o_outcome, p_station, coalesce(o_state, ''));
    END IF;
    RETURN NEXT;
  END LOOP;
END
$$;
)sql";

// Who may do what: made again at every initialisation, so that grants changed by hand are
// put right. A station reads everything, appends records, and changes the book only
// through its functions; an administrator manages the book and does what a station does.
constexpr const char* kGrants = R"sql(
ALTER DEFAULT PRIVILEGES IN SCHEMA tallowick REVOKE EXECUTE ON FUNCTIONS FROM PUBLIC;
REVOKE ALL ON SCHEMA tallowick FROM PUBLIC;
REVOKE ALL ON ALL TABLES IN SCHEMA tallowick FROM PUBLIC, tallowick_station, tallowick_admin;
REVOKE ALL ON ALL SEQUENCES IN SCHEMA tallowick FROM PUBLIC, tallowick_station,
  tallowick_admin;
REVOKE ALL ON ALL FUNCTIONS IN SCHEMA tallowick FROM PUBLIC, tallowick_station,
  tallowick_admin;
GRANT USAGE ON SCHEMA tallowick TO tallowick_station, tallowick_admin;
GRANT SELECT ON ALL TABLES IN SCHEMA tallowick TO tallowick_station;
GRANT INSERT (uid, station, kind, started_at, ended_at, utc_offset_minutes, computer,
              user_name, port, model, firmware, country, serial_number, passes, pause_ms,
              outcome, message, error_count, duration_ms, language)
  ON tallowick.run TO tallowick_station;
GRANT INSERT ON tallowick.run_detail TO tallowick_station;
GRANT EXECUTE ON FUNCTION
  tallowick.take(text, text),
  tallowick.take_next(text, text),
  tallowick.mark_used(text, text),
  tallowick.confirm(text, text, boolean),
  tallowick.reserve_block(text, text, integer),
  tallowick.report_used(text, text[], bigint[])
  TO tallowick_station;
GRANT EXECUTE ON FUNCTION
  tallowick.add_range(text, integer, integer),
  tallowick.release(text, text),
  tallowick.import_book(text, text[], text[])
  TO tallowick_admin;
GRANT tallowick_station TO tallowick_admin;
)sql";

StoreError refusedUntouched(Connection& c, const std::string& why) {
  return {StoreErrorKind::Conflict,
          "Схема базы линии " + c.server() + " не изменена: " + why + "."};
}

}  // namespace

StoreResult<int> initialise(Connection& owner) {
  Connection& c = owner;
  StoreStatus done = c.transaction([&]() -> StoreStatus {
    // Two owners initialising at once: the second waits for the first and finds its work.
    if (auto locked = c.execute("SELECT pg_advisory_xact_lock(hashtext('tallowick.schema'))");
        !locked) {
      return locked;
    }
    auto found = c.query(
        "SELECT current_setting('server_encoding'), "
        "to_regclass('tallowick.schema_version') IS NOT NULL, "
        "(SELECT count(*) FROM pg_catalog.pg_class "
        "  WHERE relnamespace = to_regnamespace('tallowick')) + "
        "(SELECT count(*) FROM pg_catalog.pg_proc "
        "  WHERE pronamespace = to_regnamespace('tallowick'))");
    if (!found) return found.error();
    const Rows& state = found.value();
    if (state.text(0, 0) != "UTF8") {
      return refusedUntouched(
          c, "база в кодировке " + state.text(0, 0) + ", а Tallowick хранит тексты в UTF8");
    }
    const bool versioned = state.boolean(0, 1);
    int version = 0;
    if (versioned) {
      auto stored = c.query("SELECT version FROM tallowick.schema_version");
      if (!stored) return stored.error();
      version = stored.value().size() == 1 ? static_cast<int>(stored.value().integer(0, 0)) : 0;
      if (version < 1) return refusedUntouched(c, "таблица версий схемы tallowick испорчена");
      if (version > kSchemaVersion) {
        return refusedUntouched(c, "её версия " + std::to_string(version) +
                                       " новее этой программы (она знает версию " +
                                       std::to_string(kSchemaVersion) + ")");
      }
    } else if (state.integer(0, 2) > 0) {
      return refusedUntouched(c, "схема tallowick в ней есть, но создана не Tallowick");
    }

    if (auto made = c.script(kRoles); !made) return made;
    if (!versioned) {
      if (auto made = c.script(kTables); !made) return made;
      if (auto made = c.execute("INSERT INTO tallowick.schema_version (version) VALUES ($1)",
                                {param(kSchemaVersion)});
          !made) {
        return made;
      }
    }
    for (int v = version; versioned && v < kSchemaVersion; ++v) {
      if (auto made = c.script(kUpgrades[static_cast<std::size_t>(v - 1)]); !made) return made;
    }
    if (auto made = c.script(kFunctions); !made) return made;
    if (auto made = c.script(kGrants); !made) return made;
    return c.execute(
        "UPDATE tallowick.schema_version "
        "SET version = $1, changed_at = now(), changed_by = session_user",
        {param(kSchemaVersion)});
  });
  if (!done) return done.error();
  return kSchemaVersion;
}

}  // namespace tallowick::line
