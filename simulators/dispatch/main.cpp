// The dispatch platform simulator as its own process, for the demo build and manual checks.
#include "BuildConstants.h"
#include "DispatchSimulator.h"
#include "Standalone.h"

int main() {
    brisko::sim::DispatchSimulator simulator(brisko::build::kDispatchApiKey);
    return brisko::sim::RunUntilSignalled(simulator, brisko::build::kDispatchSimPort, "dispatch-simulator");
}
