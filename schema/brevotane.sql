-- The four tables of every Brevotane database file, in field order (grids lay columns out by position).
-- STRICT makes the file refuse a value of the wrong type (text in a number field) instead of keeping it.
-- Text comparison: the name columns (品名, 項目分類名, 単位) are COLLATE NOCASE, so an equality
-- lookup by name, ORDER BY and GROUP BY treat "abc" and "ABC" as the same name, as users expect when
-- they type a name in other letter case. SQLite's NOCASE folds the 26 ASCII letters only: full-width
-- letters (ＡＢＣ/ａｂｃ), kana and half-width/full-width forms of the same character stay distinct.
-- LIKE folds ASCII letters on its own, whatever the collation.
-- Dates are ISO text yyyy-MM-dd, always midnight.

CREATE TABLE 仕入商品 (
    品名ID INTEGER PRIMARY KEY CHECK (品名ID BETWEEN -2147483648 AND 2147483647),
    品名   TEXT COLLATE NOCASE,
    単価   REAL,
    単位   TEXT COLLATE NOCASE
) STRICT;

CREATE TABLE 項目分類 (
    項目ID     INTEGER PRIMARY KEY CHECK (項目ID BETWEEN -2147483648 AND 2147483647),
    項目分類名 TEXT COLLATE NOCASE
) STRICT;

CREATE TABLE 単位 (
    単位ID INTEGER PRIMARY KEY CHECK (単位ID BETWEEN -2147483648 AND 2147483647),
    単位   TEXT COLLATE NOCASE
) STRICT;

CREATE TABLE 棚卸マスター (
    ID       INTEGER PRIMARY KEY CHECK (ID BETWEEN -2147483648 AND 2147483647),
    日付     TEXT CHECK (日付 IS NULL OR 日付 GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
    項目ID   INTEGER CHECK (項目ID BETWEEN -2147483648 AND 2147483647),
    品名     TEXT COLLATE NOCASE,
    数量     REAL,
    単位     TEXT COLLATE NOCASE,
    単価     REAL,
    価格     REAL,
    備考     TEXT,
    備考1    TEXT,
    品名ID   INTEGER CHECK (品名ID BETWEEN -2147483648 AND 2147483647),
    区分調整 INTEGER CHECK (区分調整 BETWEEN -32768 AND 32767)
) STRICT;

CREATE INDEX 棚卸マスター_日付 ON 棚卸マスター (日付);
-- Lookups by whole name (the imports, for every line). An index takes its column's collation.
CREATE INDEX 仕入商品_品名 ON 仕入商品 (品名);
CREATE INDEX 項目分類_項目分類名 ON 項目分類 (項目分類名);

INSERT INTO 項目分類 (項目ID, 項目分類名) VALUES (0, '未区分');
