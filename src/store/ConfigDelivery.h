#pragma once
// The marketplace accounts (table CONFIGDELIVERY; in practice one row).
#include <string>
#include <string_view>
#include <vector>

#include "Database.h"
#include "LocalTime.h"

namespace brisko::store {

struct ConfigDelivery {
    long long ID = 0;
    long long IDORIGEM = 0; // 1 = aiqfome
    std::string ORIGEM{};
    std::string EMPRESA{};
    std::string LOGIN{};
    std::string SENHA{};
    std::string TOKEN{};
    std::string VALIDADE{};
};

// Every row, in ascending ID order.
std::vector<ConfigDelivery> LeConfigDelivery(Database& db);
// Adds a row with no column given; answers the ID the database assigned.
long long InsereConfigDeliveryVazia(Database& db);
// Stores the account's credentials on the row with that ID (marketplace 1, "AIQFOME").
void GravaContaConfigDelivery(Database& db, long long id, std::string_view login, std::string_view senha);
// Stores the last token obtained and its expiry, as text "yyyy-mm-dd hh:nn:ss.zzz".
void GravaTokenConfigDelivery(Database& db, long long id, std::string_view token,
                              const LocalDateTime& validade);

} // namespace brisko::store
