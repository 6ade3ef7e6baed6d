-- Schema version 3: the figures of each dish behind a prepared report's day and week rows.
-- The same text on every engine; statements end with ";" at the end of a line.

-- Per dish served and nutrient (CDNUTRIENTE set), and per dish its energy and net protein for
-- NDpCal% (CDNUTRIENTE null). The day and week rows of NUTRICARD cover every dish type; a layout
-- restricted to some dish types sums these instead, and lists the option dishes from them.
CREATE TABLE NUTRICARDPRATO (
    NRSEQUNUTR     VARCHAR(10) NOT NULL,
    NRLINHA        INTEGER NOT NULL,
    DTCARDAPIO     DATE NOT NULL,
    NRSEMANA       INTEGER NOT NULL,
    DTINISEMANA    DATE NOT NULL,
    CDSERVFILI     VARCHAR(5) NOT NULL,
    NMSERVICO      VARCHAR(40),
    NRORDSERV      INTEGER,
    CDTIPOPRAT     VARCHAR(2),
    NMTIPOPRAT     VARCHAR(15),
    CDPRATO        VARCHAR(10) NOT NULL,
    CDFILAUXPRAT   VARCHAR(4),
    NMPRATO        VARCHAR(40),
    IDOPCAO        VARCHAR(1) NOT NULL,
    CDNUTRIENTE    VARCHAR(3),
    VRNUTRIENTE    DOUBLE PRECISION,
    IDINCOMPLETO   VARCHAR(1),
    VRENERGIA      DOUBLE PRECISION,
    VRPROTLIQ      DOUBLE PRECISION,
    IDDIETAINCOMPL VARCHAR(1),
    PRIMARY KEY (NRSEQUNUTR, NRLINHA)
);
