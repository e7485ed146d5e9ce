-- The shared-exam library: exams that exam servers copy into their own database.
-- Loaded by scripts/library.sh as the library's role, so everything lands in that role's
-- schema. Safe to load again: tables are kept, functions replaced.

-- One shared exam. It is closed from shijian for fbq days: during that time a copy needs
-- the application password yykl. glmm is the publisher's management password.
CREATE TABLE IF NOT EXISTS zxtest (
    id serial PRIMARY KEY,
    name text NOT NULL,
    shijian timestamptz NOT NULL DEFAULT now(),
    fbq integer NOT NULL DEFAULT 0 CHECK (fbq >= 0),
    yykl text NOT NULL DEFAULT '',
    glmm text NOT NULL DEFAULT ''
);

-- One shared question, with the meanings of a local tm row: 题型 the type, 题目 the text,
-- 候选项 the options ("A.…" lines ended by CR LF), 答案 the answer letters, 分数 the points.
CREATE TABLE IF NOT EXISTS zxtm (
    testid integer NOT NULL REFERENCES zxtest (id) ON DELETE CASCADE,
    id serial PRIMARY KEY,
    题型 text,
    题目 text,
    候选项 text,
    答案 text,
    分数 double precision
);
CREATE INDEX IF NOT EXISTS zxtm_exam ON zxtm (testid, id);

-- Publishes an exam without questions, closed for fbq days from now; returns its number.
CREATE OR REPLACE FUNCTION newtest(testname text, fbq integer, yykl text, glmm text)
RETURNS integer LANGUAGE sql AS $$
    INSERT INTO zxtest (name, shijian, fbq, yykl, glmm)
    VALUES (newtest.testname, now(), coalesce(newtest.fbq, 0), coalesce(newtest.yykl, ''),
            coalesce(newtest.glmm, ''))
    RETURNING id;
$$;

-- Adds a question to a published exam; returns the question's number.
CREATE OR REPLACE FUNCTION newtm(testid integer, tm text, tx text, hxx text, da text, fs double precision)
RETURNS integer LANGUAGE sql AS $$
    INSERT INTO zxtm (testid, 题型, 题目, 候选项, 答案, 分数)
    VALUES (newtm.testid, newtm.tx, newtm.tm, newtm.hxx, newtm.da, newtm.fs)
    RETURNING id;
$$;

-- Withdraws an exam with its questions; returns 1, or 0 when there was no such exam.
CREATE OR REPLACE FUNCTION deltest(csid integer)
RETURNS integer LANGUAGE sql AS $$
    WITH gone AS (DELETE FROM zxtest WHERE id = deltest.csid RETURNING 1)
    SELECT count(*)::integer FROM gone;
$$;
