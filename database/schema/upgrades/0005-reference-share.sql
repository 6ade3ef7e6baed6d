-- Schema version 5: the share of the daily needs a prepared report's figures are compared with.
-- The same text on every engine; statements end with ";" at the end of a line.

-- The menu type's share (TIPOCARD.PCCOBERTURA) when its services a day fit it; NULL when the menu
-- type has none or when they do not fit (the report's notes then say so), so that the layouts
-- compare only the bounds that do not depend on the share.
ALTER TABLE NUTRICARDCAB ADD PCCOBERTURA NUMERIC(5,2);

-- The food table's moisture is a share of the food (g per 100 g); a dish's, a day's or a week's
-- figure is the grams of water it holds, so it is printed in grams (a sum of percents means nothing).
UPDATE NUTRIENTE SET SGUNIDADE = 'g' WHERE NMCOLTACO = 'moisture' AND SGUNIDADE = '%';
