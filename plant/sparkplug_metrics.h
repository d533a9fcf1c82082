#pragma once

#include "events/records.h"
#include "plant/payloads.h"
#include "plant/sparkplug_node.h"
#include "protocol/device_state.h"

#include <vector>

namespace plant::sparkplug {

// What the laser has as a Sparkplug device, in the order of its DBIRTH: "Alarms/<name>" and
// "States/<name>" for every alarm and state flag of the events table ("Alarms/chillerFault",
// "Alarms/board0.channel3.overTemp2", "States/dcOn"), "Lamps/<key>" for the status page's alarm
// lamps by the plant's alarm keys ("Lamps/water_temperature"), then the temperatures (with their
// unit), inputs, product, versions and the link.
const std::vector<MetricDefinition> &laserMetrics();

// The laser on a refresh pass: there while its port is open, its link not lost and its product
// known (the CCB sent its product data); its values as the status payload has them, the
// temperatures as received, null until one has arrived.
Device laserDevice(const protocol::DeviceState &state, const LinkInfo &link,
                   const events::Sample &readings);

} // namespace plant::sparkplug
