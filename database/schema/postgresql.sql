-- PostgreSQL: the plain dialect's NVL and set-returning PARAM, and NVLSTR so the InterBase
-- texts run too. PARAM(:P) yields one row whose column PARAM holds the value, NULL included:
-- joined under an alias, NVL(alias.PARAM, column) is the optional filter.
CREATE OR REPLACE FUNCTION NVL(P_VALOR anyelement, P_PADRAO anyelement) RETURNS anyelement
    LANGUAGE SQL IMMUTABLE
    AS $$ SELECT COALESCE(P_VALOR, P_PADRAO) $$;

CREATE OR REPLACE FUNCTION NVLSTR(P_VALOR TEXT, P_PADRAO TEXT) RETURNS TEXT
    LANGUAGE SQL IMMUTABLE
    AS $$ SELECT COALESCE(P_VALOR, P_PADRAO) $$;

CREATE OR REPLACE FUNCTION PARAM(P_VALOR TEXT) RETURNS TABLE (PARAM TEXT)
    LANGUAGE SQL IMMUTABLE
    AS $$ SELECT P_VALOR $$;
