// What the window shows for the fleet of res/demo-fleet.json after a search
// and a batch upgrade of every camera; shared by the window tests of every
// toolkit.
#pragma once

struct FleetCamera {
    int host;            // last address byte
    const char* version; // the version cell after the search
    const char* result;  // the progress cell after the batch
    const char* after;   // the version cell after the batch
};

inline constexpr char kFleetOk[] = "升级设备成功！";

inline constexpr FleetCamera kDemoFleet[] = {
    {2, "5.0.6.3", kFleetOk, "5.1.7.9"},
    {3, "5.1.6.2", kFleetOk, "5.1.7.9"},
    {4, "5.1.7.1", kFleetOk, "5.1.7.9"},
    {5, "5.3.6.2", kFleetOk, "5.3.7.9"},
    {6, "5.3.7.1", kFleetOk, "5.3.7.9"},
    {7, "5.5.6.2", kFleetOk, "5.5.6.9"},
    {8, "5.6.6.3", kFleetOk, "5.6.6.9"},
    {9, "6.2.1.2", kFleetOk, "6.2.1.9"},
    {10, "5.1.7.2", kFleetOk, "5.1.7.9"},
    {11, "5.6.6.1", kFleetOk, "5.6.6.9"},
    // Refuses every log-in: neither a version nor an upgrade.
    {12, "", "打开设备失败，请检查设备连接是否正常！", ""},
    // Its flash fails.
    {13, "5.5.6.1", "升级设备失败，请直连设备再升级！", "5.5.6.1"},
};

inline constexpr int kDemoFleetSize = sizeof(kDemoFleet) / sizeof(kDemoFleet[0]);
// The batch's closing summary.
inline constexpr char kDemoFleetSummary[] = "升级完成，成功10台，失败2台。";
