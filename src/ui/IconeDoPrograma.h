#pragma once
// The program's icon in the state the tray shows: as it is while all works, with a badge when an
// order needs the operator, greyed with a red badge while the marketplace sync is failing.
#include "Alertas.h"

#include <QIcon>

namespace brisko::ui {

QIcon IconeDoPrograma(cycle::EstadoDosAlertas estado);

} // namespace brisko::ui
