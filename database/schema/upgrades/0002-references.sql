-- Schema version 2: nutritional references per menu type, complement values for the food
-- table's empty cells, and the notes printed under a prepared report.
-- The same text on every engine; statements end with ";" at the end of a line.

-- A reference set: the values a site compares its menus with, and the source it cites.
CREATE TABLE CONJREF (
    CDCONJREF VARCHAR(10) NOT NULL,
    NMCONJREF VARCHAR(100) NOT NULL,
    DSFONTE   VARCHAR(400) NOT NULL,
    PRIMARY KEY (CDCONJREF)
);

CREATE TABLE FAIXAETARIA (
    CDFAIXAETAR VARCHAR(10) NOT NULL,
    NMFAIXAETAR VARCHAR(60) NOT NULL,
    PRIMARY KEY (CDFAIXAETAR)
);

-- One bound or range of one nutrient for the menu of a day. IDBASE 'Q': amounts in the
-- nutrient's unit; 'E': percent of the day's energy (macronutrients, added sugar). A null age
-- band or coverage applies to every one.
CREATE TABLE VALORREF (
    CDCONJREF   VARCHAR(10) NOT NULL,
    NRLINHA     INTEGER NOT NULL,
    CDFAIXAETAR VARCHAR(10),
    PCCOBERTURA NUMERIC(5,2),
    CDNUTRIENTE VARCHAR(3) NOT NULL,
    IDBASE      VARCHAR(1) NOT NULL,
    VRMINIMO    DOUBLE PRECISION,
    VRMAXIMO    DOUBLE PRECISION,
    DSFONTE     VARCHAR(400),
    PRIMARY KEY (CDCONJREF, NRLINHA)
);

-- The reference a menu type is compared with: a set, an age band and a coverage (percent of
-- the daily needs its services cover).
ALTER TABLE TIPOCARD ADD CDCONJREF VARCHAR(10);
ALTER TABLE TIPOCARD ADD CDFAIXAETAR VARCHAR(10);
ALTER TABLE TIPOCARD ADD PCCOBERTURA NUMERIC(5,2);

-- Values for cells the food table leaves empty, each with its source. Kept apart from
-- COMPALIM so that a new import of the table never overwrites them; a value the table has
-- wins over its complement.
CREATE TABLE COMPALIMCOMPL (
    CDALIMENTO  INTEGER NOT NULL,
    CDNUTRIENTE VARCHAR(3) NOT NULL,
    VRNUTRIENTE DOUBLE PRECISION NOT NULL,
    DSFONTE     VARCHAR(400) NOT NULL,
    PRIMARY KEY (CDALIMENTO, CDNUTRIENTE)
);

-- Notes printed under a prepared report: the foods that lack a printed nutrient, the
-- complement sources used.
CREATE TABLE NUTRICARDNOTA (
    NRSEQUNUTR VARCHAR(10) NOT NULL,
    NRLINHA    INTEGER NOT NULL,
    DSNOTA     VARCHAR(400) NOT NULL,
    PRIMARY KEY (NRSEQUNUTR, NRLINHA)
);

-- Prepared rows: how many days a mean covers, and whether the NDpCal% rests on an energy or
-- protein figure that lacks some ingredient's value.
ALTER TABLE NUTRICARD ADD QTDIAS INTEGER;
ALTER TABLE NUTRICARD ADD IDNDPCALINCOMPL VARCHAR(1);
