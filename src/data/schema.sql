-- The show database. Every identifier is quoted: names are lower case and case-sensitive.
-- The program reads and writes these tables but never changes their shape.
SET SQL DIALECT 3;
SET AUTODDL ON;

CREATE TABLE "playlist" (
  "codice" INTEGER NOT NULL PRIMARY KEY,
  "ordine" INTEGER,
  "titolo" CHAR(250),
  "file" CHAR(250),
  "tipo" CHAR(15),
  "duratams" BIGINT,
  "start" BIGINT,
  "end" BIGINT,
  "aspectratio" CHAR(10),
  "status" CHAR(10),
  "risoluzione" CHAR(15),
  "volume" INTEGER,
  "frame" BLOB SUB_TYPE BINARY,
  "monitor" INTEGER,
  "player" INTEGER,
  "gruppo" INTEGER,
  "lista" CHAR(30),
  "aratio" SMALLINT,
  "cropw" INTEGER,
  "croph" INTEGER,
  "cropx" INTEGER,
  "cropy" INTEGER,
  "crop" SMALLINT,
  "azione_iniziale" INTEGER,
  "azione_finale" INTEGER,
  "w" INTEGER,
  "h" INTEGER,
  "brightness" DOUBLE PRECISION,
  "saturation" DOUBLE PRECISION,
  "hue" DOUBLE PRECISION,
  "ruota" INTEGER,
  "color" INTEGER,
  "rs" DOUBLE PRECISION,
  "gs" DOUBLE PRECISION,
  "bs" DOUBLE PRECISION,
  "rm" DOUBLE PRECISION,
  "gm" DOUBLE PRECISION,
  "bm" DOUBLE PRECISION,
  "rh" DOUBLE PRECISION,
  "gh" DOUBLE PRECISION,
  "bh" DOUBLE PRECISION,
  "blur" INTEGER,
  "croma" INTEGER,
  "cromaLR" INTEGER,
  "perspective" INTEGER,
  "x0" INTEGER,
  "y0" INTEGER,
  "x1" INTEGER,
  "y1" INTEGER,
  "x2" INTEGER,
  "y2" INTEGER,
  "x3" INTEGER,
  "y3" INTEGER,
  "rotation" INTEGER,
  "angle" DOUBLE PRECISION,
  "filtro" BLOB SUB_TYPE TEXT,
  "opacity" INTEGER,
  "speed" INTEGER,
  "preview" INTEGER,
  "vflip" INTEGER,
  "deinterlace" INTEGER,
  "trxtime" INTEGER,
  "nomelayout" CHAR(30),
  "changeA" INTEGER,
  "changeB" INTEGER,
  "changeBG" INTEGER
);
CREATE INDEX "playlist_lista" ON "playlist" ("lista", "ordine");

CREATE TABLE "liste" (
  "lista" CHAR(30) NOT NULL PRIMARY KEY,
  "ordine" INTEGER
);

CREATE TABLE "layout" (
  "nome" CHAR(30) NOT NULL PRIMARY KEY,
  "ordine" INTEGER,
  "sfondo" CHAR(255),
  "sx" INTEGER,
  "sy" INTEGER,
  "offsetx" INTEGER,
  "offsety" INTEGER,
  "colore" INTEGER,
  "picture" SMALLINT,
  "fullscreen" SMALLINT,
  "atop" INTEGER,
  "aleft" INTEGER,
  "awidth" INTEGER,
  "aheigth" INTEGER,
  "acolor" INTEGER,
  "btop" INTEGER,
  "bleft" INTEGER,
  "bwidth" INTEGER,
  "bheigth" INTEGER,
  "bcolor" INTEGER,
  "battivo" SMALLINT,
  "ashape" INTEGER,
  "schermo" INTEGER,
  "alati" INTEGER,
  "bshape" INTEGER,
  "blati" INTEGER,
  "restart" INTEGER
);

CREATE TABLE "azioni" (
  "id" INTEGER NOT NULL PRIMARY KEY,
  "codice" INTEGER,
  "nome" CHAR(25),
  "script" BLOB SUB_TYPE TEXT,
  "tempo" BIGINT
);

CREATE TABLE "connessioni" (
  "id" INTEGER NOT NULL PRIMARY KEY,
  "nome" CHAR(50),
  "tipo" INTEGER,
  "tiponome" CHAR(30),
  "host" CHAR(15),
  "port" INTEGER,
  "username" CHAR(20),
  "password" CHAR(20),
  "url" CHAR(255),
  "controllo" INTEGER
);

CREATE TABLE "dmx" (
  "id" INTEGER NOT NULL PRIMARY KEY,
  "codice" CHAR(12) NOT NULL,
  "tipo" CHAR(20),
  "esegui" INTEGER,
  "fisso" INTEGER,
  "universo" INTEGER,
  "subnet" INTEGER,
  "channel" INTEGER,
  "valore" INTEGER
);

CREATE TABLE "midi" (
  "id" INTEGER NOT NULL PRIMARY KEY,
  "codice" CHAR(9) NOT NULL,
  "tipo" CHAR(20),
  "esegui" INTEGER,
  "fisso" INTEGER,
  "midi1" INTEGER,
  "midi2" INTEGER,
  "midi3" INTEGER
);

CREATE TABLE "sequencer" (
  "id" INTEGER NOT NULL PRIMARY KEY,
  "titolo" CHAR(80),
  "codice1" INTEGER,
  "codice2" INTEGER,
  "nome" CHAR(30),
  "azione" INTEGER,
  "paused" INTEGER,
  "fade1" INTEGER,
  "fade2" INTEGER,
  "volume1" INTEGER,
  "volume2" INTEGER,
  "live" INTEGER,
  "active" INTEGER,
  "sincro" INTEGER,
  "configura" CHAR(3),
  "azione_iniziale" INTEGER,
  "azione_finale" INTEGER,
  "changeA" INTEGER,
  "changeB" INTEGER,
  "changeBG" INTEGER
);

CREATE GENERATOR "GEN_playlist_ID";
CREATE GENERATOR "GEN_azioni_ID";
CREATE GENERATOR "GEN_dmx_ID";
CREATE GENERATOR "GEN_midi_ID";

SET TERM ^ ;

-- A missing key is taken from the table's generator. Keys start at 1, so 0 counts as missing
-- too: a client cannot always send NULL for a NOT NULL column and sends 0 instead. Rows may
-- also arrive with keys of their own (actions get the largest id + 1 from the program, and
-- shows are edited by other tools): the generator then skips past the largest key.
CREATE TRIGGER "playlist_BI" FOR "playlist" ACTIVE BEFORE INSERT POSITION 0 AS
DECLARE VARIABLE "largest" INTEGER;
BEGIN
  IF (COALESCE(NEW."codice", 0) = 0) THEN
  BEGIN
    SELECT COALESCE(MAX("codice"), 0) FROM "playlist" INTO :"largest";
    NEW."codice" = GEN_ID("GEN_playlist_ID", 1);
    IF (NEW."codice" <= "largest") THEN
      NEW."codice" = GEN_ID("GEN_playlist_ID", "largest" - NEW."codice" + 1);
  END
END^

CREATE TRIGGER "azioni_BI" FOR "azioni" ACTIVE BEFORE INSERT POSITION 0 AS
DECLARE VARIABLE "largest" INTEGER;
BEGIN
  IF (COALESCE(NEW."id", 0) = 0) THEN
  BEGIN
    SELECT COALESCE(MAX("id"), 0) FROM "azioni" INTO :"largest";
    NEW."id" = GEN_ID("GEN_azioni_ID", 1);
    IF (NEW."id" <= "largest") THEN
      NEW."id" = GEN_ID("GEN_azioni_ID", "largest" - NEW."id" + 1);
  END
END^

CREATE TRIGGER "dmx_BI" FOR "dmx" ACTIVE BEFORE INSERT POSITION 0 AS
DECLARE VARIABLE "largest" INTEGER;
BEGIN
  IF (COALESCE(NEW."id", 0) = 0) THEN
  BEGIN
    SELECT COALESCE(MAX("id"), 0) FROM "dmx" INTO :"largest";
    NEW."id" = GEN_ID("GEN_dmx_ID", 1);
    IF (NEW."id" <= "largest") THEN
      NEW."id" = GEN_ID("GEN_dmx_ID", "largest" - NEW."id" + 1);
  END
END^

CREATE TRIGGER "midi_BI" FOR "midi" ACTIVE BEFORE INSERT POSITION 0 AS
DECLARE VARIABLE "largest" INTEGER;
BEGIN
  IF (COALESCE(NEW."id", 0) = 0) THEN
  BEGIN
    SELECT COALESCE(MAX("id"), 0) FROM "midi" INTO :"largest";
    NEW."id" = GEN_ID("GEN_midi_ID", 1);
    IF (NEW."id" <= "largest") THEN
      NEW."id" = GEN_ID("GEN_midi_ID", "largest" - NEW."id" + 1);
  END
END^

-- Current maxima, 0 on an empty table; the program adds one for a new row.
CREATE PROCEDURE "max_ordine" RETURNS ("massimo" INTEGER) AS
BEGIN
  SELECT COALESCE(MAX("ordine"), 0) FROM "playlist" INTO :"massimo";
  SUSPEND;
END^

CREATE PROCEDURE "max_lista" RETURNS ("massimo" INTEGER) AS
BEGIN
  SELECT COALESCE(MAX("ordine"), 0) FROM "liste" INTO :"massimo";
  SUSPEND;
END^

CREATE PROCEDURE "max_layout" RETURNS ("massimo" INTEGER) AS
BEGIN
  SELECT COALESCE(MAX("ordine"), 0) FROM "layout" INTO :"massimo";
  SUSPEND;
END^

CREATE PROCEDURE "max_conn" RETURNS ("massimo" INTEGER) AS
BEGIN
  SELECT COALESCE(MAX("id"), 0) FROM "connessioni" INTO :"massimo";
  SUSPEND;
END^

CREATE PROCEDURE "max_azioni" RETURNS ("massimo" INTEGER) AS
BEGIN
  SELECT COALESCE(MAX("id"), 0) FROM "azioni" INTO :"massimo";
  SUSPEND;
END^

SET TERM ; ^

-- Initial content: one full-frame stage and the fixed control rows of the MIDI and DMX maps.
-- The MIDI control rows start on channel 16, which no message carries, so that a fresh show
-- does not react to Bank Select 0 on channel 1 (sent by many keyboards with every program
-- change); "FACTORY RESET" sets them to 0, 0, 0.
INSERT INTO "layout" VALUES ('Main', 1, '', 1920, 1080, 0, 0, 0, 0, 0,
  0, 0, 1920, 1080, 0, 0, 0, 1920, 1080, 0, 1, 0, 0, 3, 0, 3, 0);

INSERT INTO "midi" ("codice", "tipo", "esegui", "fisso", "midi1", "midi2", "midi3")
  SELECT 'Command', "tipo", 0, 1, 16, 0, 0 FROM (
    SELECT 1 AS "n", 'OpacityA' AS "tipo" FROM RDB$DATABASE UNION ALL
    SELECT 2, 'OpacityB' FROM RDB$DATABASE UNION ALL
    SELECT 3, 'VolumeA' FROM RDB$DATABASE UNION ALL
    SELECT 4, 'VolumeB' FROM RDB$DATABASE UNION ALL
    SELECT 5, 'SaturationA' FROM RDB$DATABASE UNION ALL
    SELECT 6, 'SaturationB' FROM RDB$DATABASE UNION ALL
    SELECT 7, 'HueA' FROM RDB$DATABASE UNION ALL
    SELECT 8, 'HueB' FROM RDB$DATABASE UNION ALL
    SELECT 9, 'BrightnessA' FROM RDB$DATABASE UNION ALL
    SELECT 10, 'BrightnessB' FROM RDB$DATABASE) ORDER BY "n";

INSERT INTO "dmx" ("codice", "tipo", "esegui", "fisso", "universo", "subnet", "channel", "valore")
  SELECT 'Command', "tipo", 0, 1, 0, 0, 0, -1 FROM "midi" WHERE "fisso" = 1 ORDER BY "id";

COMMIT;
