#pragma once
// Everything of the local database in one include.
#include "BracketList.h"
#include "ConfigDelivery.h"
#include "Configuracao.h"
#include "Database.h"
#include "Empresa.h"
#include "Errors.h"
#include "Historico.h"
#include "LocalTime.h"
#include "Migrations.h"
#include "Pedidos.h"
#include "Preferencias.h"
#include "TetoTaxa.h"
