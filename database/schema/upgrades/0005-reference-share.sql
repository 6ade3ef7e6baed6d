-- Schema version 5: the share of the daily needs a prepared report's figures are compared with.
-- The same text on every engine; statements end with ";" at the end of a line.

-- The menu type's share (TIPOCARD.PCCOBERTURA) when its services a day fit it; NULL when the menu
-- type has none or when they do not fit (the report's notes then say so), so that the layouts
-- compare only the bounds that do not depend on the share.
ALTER TABLE NUTRICARDCAB ADD PCCOBERTURA NUMERIC(5,2);

-- The food table's moisture is a share of the food (g per 100 g); a dish's, a day's or a week's
-- figure is the grams of water it holds, so it is printed in grams (a sum of percents means nothing).
UPDATE NUTRIENTE SET SGUNIDADE = 'g' WHERE NMCOLTACO = 'moisture' AND SGUNIDADE = '%';

-- The dish type a note line is about: NULL for a line of the whole report, '*' for a line over
-- every dish type (printed when the report covers them all), a dish type's code for a line about
-- the dishes of that type only (printed when the report is restricted to types that include it).
ALTER TABLE NUTRICARDNOTA ADD CDTIPOPRAT VARCHAR(2);
