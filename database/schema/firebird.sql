-- Firebird (InterBase dialect): the selectable procedure PARAM, one row whose column PARAM
-- holds the argument, NULL included, and the function NVLSTR (first argument unless NULL).
SET TERM ^ ;

CREATE OR ALTER PROCEDURE PARAM (P_VALOR VARCHAR(250))
RETURNS (PARAM VARCHAR(250))
AS
BEGIN
    PARAM = :P_VALOR;
    SUSPEND;
END^

CREATE OR ALTER FUNCTION NVLSTR (P_VALOR VARCHAR(250), P_PADRAO VARCHAR(250))
RETURNS VARCHAR(250)
AS
BEGIN
    RETURN COALESCE(:P_VALOR, :P_PADRAO);
END^

SET TERM ; ^
