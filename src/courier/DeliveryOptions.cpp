#include "DeliveryOptions.h"

#include "BracketList.h"

namespace brisko::courier {

std::vector<std::string> CategoryChoices(std::string_view bracketList) {
    return store::ParseBracketList(bracketList);
}

const std::vector<std::string>& ReturnChoices() {
    static const std::vector<std::string> choices{"Não", "Sim"};
    return choices;
}

bool ReturnFlag(std::string_view choice) {
    return choice == "Sim";
}

} // namespace brisko::courier
