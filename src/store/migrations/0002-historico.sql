-- What happened to each order, kept for 90 days: longer than the order itself, which goes after two.
-- An order is named by its origin and its marketplace number, which outlive its PEDIDOS row.
CREATE TABLE HISTORICO (
  ID INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,
  ORIGEM INTEGER NOT NULL,
  IDPEDIDO TEXT NOT NULL,
  DATAHORA TEXT NOT NULL,
  EVENTO TEXT NOT NULL,
  DETALHE TEXT,
  TAXA TEXT
);
-- One order's events in their order, and the retention's cut by age.
CREATE INDEX HISTORICO_PEDIDO ON HISTORICO (ORIGEM, IDPEDIDO, ID);
CREATE INDEX HISTORICO_DATAHORA ON HISTORICO (DATAHORA);
-- Orders the fee ceiling of automatic scheduling held back: the fee the platform estimated and the
-- ceiling it was above, so that the order is not estimated again until the ceiling changes.
CREATE TABLE RETIDOS (
  ORIGEM INTEGER NOT NULL,
  IDPEDIDO TEXT NOT NULL,
  TAXA TEXT NOT NULL,
  TETO INTEGER NOT NULL, -- centavos
  DATAHORA TEXT NOT NULL,
  PRIMARY KEY (ORIGEM, IDPEDIDO)
);
PRAGMA user_version = 2;
