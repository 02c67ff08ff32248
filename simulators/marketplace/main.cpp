// The marketplace stand-in as its own process, with the demo account whose orders arrive over time.
#include "BuildConstants.h"
#include "DemoTimeline.h"
#include "MarketplaceSimulator.h"
#include "Standalone.h"

int main() {
    brisko::sim::MarketplaceSimulator simulator;
    brisko::sim::DemoTimeline demo(simulator, brisko::sim::MarketplaceSimulator::Clock::now());
    simulator.SetBeforeEachRequest(
        [&demo] { demo.Advance(brisko::sim::MarketplaceSimulator::Clock::now()); });
    return brisko::sim::RunUntilSignalled(simulator, brisko::build::kMarketplaceSimPort,
                                          "marketplace-simulator");
}
