-- The operator's preferences of the features added after the first schema (alerts, sound, fee
-- ceiling, ...): one row per preference, its value as text.
CREATE TABLE PREFERENCIAS (
  NOME TEXT PRIMARY KEY NOT NULL,
  VALOR TEXT
);
PRAGMA user_version = 1;
