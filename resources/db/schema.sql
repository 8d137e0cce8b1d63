-- Tables of a ZAL database file.
-- Column types are the engine's: TEXT(n) is text of at most n characters (every text column uses
-- the NOCASE collation, which ignores letter case, and a check named len_<column> that refuses
-- longer values), LONG and DOUBLE are numbers, DATETIME holds day serials (days since 30/12/1899),
-- INTEGER PRIMARY KEY AUTOINCREMENT is an automatic number.
-- The program compares NOCASE texts with Unicode case folding ("Á" equals "á"); other SQLite tools
-- fold ASCII letters only. An index kept in NOCASE order would be ordered differently by the two,
-- and other tools would call a file with accented keys damaged, so every index on a text column
-- is in BINARY order, and tax ids are kept unique ignoring case by the triggers at the end (engine
-- error 3022).
-- A BINARY index cannot serve a NOCASE comparison, so the tax ids are indexed by upper(column):
-- SQLite's own upper(), which folds ASCII letters only and is the same in every SQLite tool (the
-- program registers no upper() of its own, and no index here calls a function of the program).
-- Keys with a character outside printable ASCII are few (tax ids are upper-case digits and
-- letters) and have a small index each ("..._unicode", the rows whose key is not printable
-- ASCII, by their number of characters, which case folding keeps). Every key equal to a text
-- ignoring case is reached through one of the two: a key of printable ASCII has the upper() of
-- that text, once its long s (U+017F) and Kelvin sign (U+212A) are written "s" and "k" (the only
-- letters outside ASCII that fold to ASCII ones); any other key is in its "..._unicode" index
-- with the text's length. Joins and lookups on a tax id, as the program writes them, and the
-- triggers at the end look keys up so and compare them as the column compares (NOCASE): on the
-- program's connections they pair exactly the keys its comparison calls equal ("Ñ" and "ñ"; "K",
-- the Kelvin sign, and "k").

CREATE TABLE zal_sistema (
  clave TEXT PRIMARY KEY,
  valor TEXT
);

CREATE TABLE Contribuyentes (
  "No" INTEGER PRIMARY KEY AUTOINCREMENT,
  Nit TEXT(14) COLLATE NOCASE CONSTRAINT len_Nit CHECK (length(Nit) <= 14),
  Nombre TEXT(90) COLLATE NOCASE CONSTRAINT len_Nombre CHECK (length(Nombre) <= 90),
  Calle TEXT(40) COLLATE NOCASE CONSTRAINT len_Calle CHECK (length(Calle) <= 40),
  Casa TEXT(10) COLLATE NOCASE CONSTRAINT len_Casa CHECK (length(Casa) <= 10),
  Apto TEXT(5) COLLATE NOCASE CONSTRAINT len_Apto CHECK (length(Apto) <= 5),
  Zona TEXT(2) COLLATE NOCASE CONSTRAINT len_Zona CHECK (length(Zona) <= 2),
  ColoniaB TEXT(50) COLLATE NOCASE CONSTRAINT len_ColoniaB CHECK (length(ColoniaB) <= 50),
  Depto TEXT(50) COLLATE NOCASE CONSTRAINT len_Depto CHECK (length(Depto) <= 50),
  Muni TEXT(50) COLLATE NOCASE CONSTRAINT len_Muni CHECK (length(Muni) <= 50),
  Tel TEXT(10) COLLATE NOCASE CONSTRAINT len_Tel CHECK (length(Tel) <= 10),
  Fax TEXT(10) COLLATE NOCASE CONSTRAINT len_Fax CHECK (length(Fax) <= 10),
  APostal TEXT(10) COLLATE NOCASE CONSTRAINT len_APostal CHECK (length(APostal) <= 10),
  Mail TEXT(50) COLLATE NOCASE CONSTRAINT len_Mail CHECK (length(Mail) <= 50),
  NPat TEXT(14) COLLATE NOCASE CONSTRAINT len_NPat CHECK (length(NPat) <= 14),
  NomPat TEXT(85) COLLATE NOCASE CONSTRAINT len_NomPat CHECK (length(NomPat) <= 85)
);
CREATE INDEX Contribuyentes_Nit ON Contribuyentes (upper(Nit));
CREATE INDEX Contribuyentes_Nit_unicode ON Contribuyentes (length(Nit)) WHERE Nit GLOB '*[^ -~]*';

CREATE TABLE Proveedores (
  Nit TEXT(14) COLLATE NOCASE NOT NULL CONSTRAINT len_Nit CHECK (length(Nit) <= 14),
  Nombre TEXT(50) COLLATE NOCASE CONSTRAINT len_Nombre CHECK (length(Nombre) <= 50),
  PRIMARY KEY (Nit COLLATE BINARY)
);
CREATE INDEX Proveedores_Nit ON Proveedores (upper(Nit));
CREATE INDEX Proveedores_Nit_unicode ON Proveedores (length(Nit)) WHERE Nit GLOB '*[^ -~]*';

CREATE TABLE Gastos (
  Codigo INTEGER PRIMARY KEY AUTOINCREMENT,
  Descripcion TEXT(60) COLLATE NOCASE CONSTRAINT len_Descripcion CHECK (length(Descripcion) <= 60)
);

CREATE TABLE Periodos (
  "No" LONG NOT NULL PRIMARY KEY,
  Del DATETIME,
  Al DATETIME,
  Coeficiente DOUBLE
);

CREATE TABLE Planilla_Enc (
  "No" INTEGER PRIMARY KEY AUTOINCREMENT,
  Contribuyente LONG,
  Periodo LONG
);
CREATE INDEX Planilla_Enc_Contribuyente ON Planilla_Enc (Contribuyente, Periodo);
CREATE INDEX Planilla_Enc_Periodo ON Planilla_Enc (Periodo);

CREATE TABLE Planilla_Det (
  Enc LONG,
  Secuencia INTEGER PRIMARY KEY AUTOINCREMENT,
  Provee TEXT(14) COLLATE NOCASE CONSTRAINT len_Provee CHECK (length(Provee) <= 14),
  Tipo TEXT(2) COLLATE NOCASE CONSTRAINT len_Tipo CHECK (length(Tipo) <= 2),
  Serie TEXT(10) COLLATE NOCASE CONSTRAINT len_Serie CHECK (length(Serie) <= 10),
  NoDoc TEXT(20) COLLATE NOCASE CONSTRAINT len_NoDoc CHECK (length(NoDoc) <= 20),
  Fecha DATETIME,
  Gasto LONG,
  Monto DOUBLE,
  Galon DOUBLE
);
CREATE INDEX Planilla_Det_Enc ON Planilla_Det (Enc);
CREATE INDEX Planilla_Det_Provee ON Planilla_Det (upper(Provee));
CREATE INDEX Planilla_Det_Provee_unicode ON Planilla_Det (length(Provee)) WHERE Provee GLOB '*[^ -~]*';
CREATE INDEX Planilla_Det_Gasto ON Planilla_Det (Gasto);

CREATE TABLE ISR (
  Nit TEXT(14) COLLATE NOCASE NOT NULL CONSTRAINT len_Nit CHECK (length(Nit) <= 14),
  Cas16 TEXT(30) COLLATE NOCASE CONSTRAINT len_Cas16 CHECK (length(Cas16) <= 30),
  Cas17 TEXT(30) COLLATE NOCASE CONSTRAINT len_Cas17 CHECK (length(Cas17) <= 30),
  NomPat2 TEXT(85) COLLATE NOCASE CONSTRAINT len_NomPat2 CHECK (length(NomPat2) <= 85),
  NitPat2 TEXT(14) COLLATE NOCASE CONSTRAINT len_NitPat2 CHECK (length(NitPat2) <= 14),
  Cas18 TEXT(30) COLLATE NOCASE CONSTRAINT len_Cas18 CHECK (length(Cas18) <= 30),
  NomPat3 TEXT(85) COLLATE NOCASE CONSTRAINT len_NomPat3 CHECK (length(NomPat3) <= 85),
  NitPat3 TEXT(14) COLLATE NOCASE CONSTRAINT len_NitPat3 CHECK (length(NitPat3) <= 14),
  Cas19 TEXT(30) COLLATE NOCASE CONSTRAINT len_Cas19 CHECK (length(Cas19) <= 30),
  Cas22 TEXT(30) COLLATE NOCASE CONSTRAINT len_Cas22 CHECK (length(Cas22) <= 30),
  Cas23 TEXT(30) COLLATE NOCASE CONSTRAINT len_Cas23 CHECK (length(Cas23) <= 30),
  Cas24 TEXT(30) COLLATE NOCASE CONSTRAINT len_Cas24 CHECK (length(Cas24) <= 30),
  Cas25 TEXT(30) COLLATE NOCASE CONSTRAINT len_Cas25 CHECK (length(Cas25) <= 30),
  Cas26 TEXT(30) COLLATE NOCASE CONSTRAINT len_Cas26 CHECK (length(Cas26) <= 30),
  Cas34 TEXT(30) COLLATE NOCASE CONSTRAINT len_Cas34 CHECK (length(Cas34) <= 30),
  Cas36 TEXT(30) COLLATE NOCASE CONSTRAINT len_Cas36 CHECK (length(Cas36) <= 30),
  Cas38 TEXT(30) COLLATE NOCASE CONSTRAINT len_Cas38 CHECK (length(Cas38) <= 30),
  PRIMARY KEY (Nit COLLATE BINARY)
);
CREATE INDEX ISR_Nit ON ISR (upper(Nit));
CREATE INDEX ISR_Nit_unicode ON ISR (length(Nit)) WHERE Nit GLOB '*[^ -~]*';

-- Rows that worksheets still refer to cannot be deleted (engine error 3200); inserting a worksheet
-- row that refers to nothing is allowed.
CREATE TRIGGER ref_Contribuyentes BEFORE DELETE ON Contribuyentes
WHEN EXISTS (SELECT 1 FROM Planilla_Enc WHERE Planilla_Enc.Contribuyente = OLD."No")
BEGIN SELECT RAISE(ABORT, 'ZAL-3200 Planilla_Enc'); END;

-- A supplier's documents: those whose key is printable ASCII by the index on upper(Provee), the
-- others by the small "..._unicode" index, compared as the column compares (NOCASE).
CREATE TRIGGER ref_Proveedores BEFORE DELETE ON Proveedores
WHEN EXISTS (SELECT 1 FROM Planilla_Det WHERE upper(Planilla_Det.Provee) = upper(replace(replace(OLD.Nit, char(383), 's'), char(8490), 'k')))
  OR EXISTS (SELECT 1 FROM Planilla_Det WHERE Planilla_Det.Provee GLOB '*[^ -~]*'
             AND length(Planilla_Det.Provee) = length(OLD.Nit) AND Planilla_Det.Provee = OLD.Nit)
BEGIN SELECT RAISE(ABORT, 'ZAL-3200 Planilla_Det'); END;

CREATE TRIGGER ref_Gastos BEFORE DELETE ON Gastos
WHEN EXISTS (SELECT 1 FROM Planilla_Det WHERE Planilla_Det.Gasto = OLD.Codigo)
BEGIN SELECT RAISE(ABORT, 'ZAL-3200 Planilla_Det'); END;

CREATE TRIGGER ref_Proveedores_Nit BEFORE UPDATE OF Nit ON Proveedores
WHEN NEW.Nit IS NOT OLD.Nit
  AND (EXISTS (SELECT 1 FROM Planilla_Det WHERE upper(Planilla_Det.Provee) = upper(replace(replace(OLD.Nit, char(383), 's'), char(8490), 'k')))
    OR EXISTS (SELECT 1 FROM Planilla_Det WHERE Planilla_Det.Provee GLOB '*[^ -~]*'
               AND length(Planilla_Det.Provee) = length(OLD.Nit) AND Planilla_Det.Provee = OLD.Nit))
BEGIN SELECT RAISE(ABORT, 'ZAL-3200 Planilla_Det'); END;

-- Tax ids are unique ignoring letter case: no other row has the same key ignoring case, found by
-- the index on upper(Nit) among the keys of printable ASCII, and by the "..._unicode" index and
-- the column's own comparison (NOCASE) among the others.

CREATE TRIGGER uniq_Contribuyentes_Nit_ins AFTER INSERT ON Contribuyentes
WHEN NEW.Nit IS NOT NULL
  AND (EXISTS (SELECT 1 FROM Contribuyentes WHERE upper(Contribuyentes.Nit) = upper(replace(replace(NEW.Nit, char(383), 's'), char(8490), 'k')) AND Contribuyentes.rowid <> NEW.rowid)
    OR EXISTS (SELECT 1 FROM Contribuyentes WHERE Contribuyentes.Nit GLOB '*[^ -~]*' AND length(Contribuyentes.Nit) = length(NEW.Nit)
               AND Contribuyentes.Nit = NEW.Nit AND Contribuyentes.rowid <> NEW.rowid))
BEGIN SELECT RAISE(ABORT, 'ZAL-3022 Contribuyentes'); END;

CREATE TRIGGER uniq_Contribuyentes_Nit_upd AFTER UPDATE OF Nit ON Contribuyentes
WHEN NEW.Nit IS NOT NULL
  AND (EXISTS (SELECT 1 FROM Contribuyentes WHERE upper(Contribuyentes.Nit) = upper(replace(replace(NEW.Nit, char(383), 's'), char(8490), 'k')) AND Contribuyentes.rowid <> NEW.rowid)
    OR EXISTS (SELECT 1 FROM Contribuyentes WHERE Contribuyentes.Nit GLOB '*[^ -~]*' AND length(Contribuyentes.Nit) = length(NEW.Nit)
               AND Contribuyentes.Nit = NEW.Nit AND Contribuyentes.rowid <> NEW.rowid))
BEGIN SELECT RAISE(ABORT, 'ZAL-3022 Contribuyentes'); END;

CREATE TRIGGER uniq_Proveedores_Nit_ins AFTER INSERT ON Proveedores
WHEN NEW.Nit IS NOT NULL
  AND (EXISTS (SELECT 1 FROM Proveedores WHERE upper(Proveedores.Nit) = upper(replace(replace(NEW.Nit, char(383), 's'), char(8490), 'k')) AND Proveedores.rowid <> NEW.rowid)
    OR EXISTS (SELECT 1 FROM Proveedores WHERE Proveedores.Nit GLOB '*[^ -~]*' AND length(Proveedores.Nit) = length(NEW.Nit)
               AND Proveedores.Nit = NEW.Nit AND Proveedores.rowid <> NEW.rowid))
BEGIN SELECT RAISE(ABORT, 'ZAL-3022 Proveedores'); END;

CREATE TRIGGER uniq_Proveedores_Nit_upd AFTER UPDATE OF Nit ON Proveedores
WHEN NEW.Nit IS NOT NULL
  AND (EXISTS (SELECT 1 FROM Proveedores WHERE upper(Proveedores.Nit) = upper(replace(replace(NEW.Nit, char(383), 's'), char(8490), 'k')) AND Proveedores.rowid <> NEW.rowid)
    OR EXISTS (SELECT 1 FROM Proveedores WHERE Proveedores.Nit GLOB '*[^ -~]*' AND length(Proveedores.Nit) = length(NEW.Nit)
               AND Proveedores.Nit = NEW.Nit AND Proveedores.rowid <> NEW.rowid))
BEGIN SELECT RAISE(ABORT, 'ZAL-3022 Proveedores'); END;

CREATE TRIGGER uniq_ISR_Nit_ins AFTER INSERT ON ISR
WHEN NEW.Nit IS NOT NULL
  AND (EXISTS (SELECT 1 FROM ISR WHERE upper(ISR.Nit) = upper(replace(replace(NEW.Nit, char(383), 's'), char(8490), 'k')) AND ISR.rowid <> NEW.rowid)
    OR EXISTS (SELECT 1 FROM ISR WHERE ISR.Nit GLOB '*[^ -~]*' AND length(ISR.Nit) = length(NEW.Nit)
               AND ISR.Nit = NEW.Nit AND ISR.rowid <> NEW.rowid))
BEGIN SELECT RAISE(ABORT, 'ZAL-3022 ISR'); END;

CREATE TRIGGER uniq_ISR_Nit_upd AFTER UPDATE OF Nit ON ISR
WHEN NEW.Nit IS NOT NULL
  AND (EXISTS (SELECT 1 FROM ISR WHERE upper(ISR.Nit) = upper(replace(replace(NEW.Nit, char(383), 's'), char(8490), 'k')) AND ISR.rowid <> NEW.rowid)
    OR EXISTS (SELECT 1 FROM ISR WHERE ISR.Nit GLOB '*[^ -~]*' AND length(ISR.Nit) = length(NEW.Nit)
               AND ISR.Nit = NEW.Nit AND ISR.rowid <> NEW.rowid))
BEGIN SELECT RAISE(ABORT, 'ZAL-3022 ISR'); END;
