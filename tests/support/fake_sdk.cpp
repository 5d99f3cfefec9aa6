#include "fake_sdk.h"

#include "virtual_clock.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

std::atomic<FakeSdk*> g_instance{nullptr};

// LprUpdateGetError reports the transfer that just failed on the calling
// thread, as the network SDK does.
thread_local int32_t t_lastError = 0;

// The target version of an image file's header, as a camera would flash it.
bool ImageTarget(const char* path, int32_t target[4]) {
    std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) {
        return false;
    }
    unsigned char header[40] = {};
    const bool read = std::fread(header, 1, sizeof header, file) == sizeof header;
    std::fclose(file);
    if (!read || std::memcmp(header, "TLVFW001", 8) != 0) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        const unsigned char* p = header + 24 + 4 * i;
        target[i] = static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24);
    }
    return true;
}

void CopySerial(LprIdentity* out, const std::string& serial) {
    *out = LprIdentity{};
    std::snprintf(out->serial, sizeof out->serial, "%s", serial.c_str());
    std::snprintf(out->model, sizeof out->model, "%s", "LPR-FAKE");
}

std::string Text(const char* s) {
    return s == nullptr ? std::string("(null)") : std::string(s);
}

FakeSdk::Call MakeCall(std::string op, std::string address, std::vector<std::string> args,
                       LprHandle handle, int64_t result) {
    FakeSdk::Call call;
    call.op = std::move(op);
    call.address = std::move(address);
    call.args = std::move(args);
    call.handle = handle;
    call.result = result;
    return call;
}

} // namespace

const LprSdk FakeSdk::kTable = {
    &FakeSdk::Setup,
    &FakeSdk::Cleanup,
    &FakeSdk::StartFindDevice,
    &FakeSdk::StopFindDevice,
    &FakeSdk::Open,
    &FakeSdk::Close,
    &FakeSdk::IsConnected,
    &FakeSdk::GetVersion,
    &FakeSdk::UpdateStart,
    &FakeSdk::UpdateGetState,
    &FakeSdk::UpdateGetError,
    &FakeSdk::Reboot,
    &FakeSdk::ShellExec,
    &FakeSdk::GetSearchDropCount,
    &FakeSdk::ProbeAddresses,
    &FakeSdk::StopProbe,
    &FakeSdk::GetIdentity,
};

FakeSdk::FakeSdk(const VirtualClock* clock) : m_clock(clock) {
    g_instance.store(this);
    LprSdkInstall(&kTable);
}

FakeSdk::~FakeSdk() {
    StopFindDevice();
    LprSdkInstall(nullptr);
    g_instance.store(nullptr);
}

FakeSdk* FakeSdk::Instance() {
    return g_instance.load();
}

FakeSdk::CameraScript& FakeSdk::Camera(const std::string& address) {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_cameras[address];
}

void FakeSdk::SetFoundDevices(std::vector<std::pair<std::string, uint32_t>> devices) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_found = std::move(devices);
}

void FakeSdk::SetCallHook(std::function<void(const Call&)> hook) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_hook = std::move(hook);
}

std::vector<FakeSdk::Call> FakeSdk::Calls() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_calls;
}

std::vector<FakeSdk::Call> FakeSdk::CallsOf(const std::string& address) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<Call> out;
    for (const Call& c : m_calls) {
        if (c.address == address) {
            out.push_back(c);
        }
    }
    return out;
}

std::vector<std::string> FakeSdk::OpsOf(const std::string& address) const {
    std::vector<std::string> out;
    for (const Call& c : CallsOf(address)) {
        out.push_back(c.op);
    }
    return out;
}

int FakeSdk::OpenHandleCount() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    int n = 0;
    for (const auto& [id, h] : m_handles) {
        n += h.open ? 1 : 0;
    }
    return n;
}

int FakeSdk::CountOf(const std::string& op) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    int n = 0;
    for (const Call& c : m_calls) {
        n += c.op == op ? 1 : 0;
    }
    return n;
}

void FakeSdk::Record(Call call) {
    call.thread = std::this_thread::get_id();
    call.time = m_clock != nullptr ? m_clock->Now() : 0;
    std::function<void(const Call&)> hook;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_calls.push_back(call);
        hook = m_hook;
    }
    if (hook) {
        hook(call);
    }
}

FakeSdk::HandleState* FakeSdk::Handle(LprHandle handle) {
    auto it = m_handles.find(reinterpret_cast<uintptr_t>(handle));
    if (it == m_handles.end() || !it->second.open) {
        return nullptr;
    }
    return &it->second;
}

int32_t FakeSdk::Setup() {
    FakeSdk* self = Instance();
    if (self != nullptr) {
        self->Record(MakeCall("LprSetup", std::string(), {}, nullptr, 0));
    }
    return 0;
}

int32_t FakeSdk::Cleanup() {
    FakeSdk* self = Instance();
    if (self != nullptr) {
        self->Record(MakeCall("LprCleanup", std::string(), {}, nullptr, 0));
    }
    return 0;
}

int32_t FakeSdk::StartFindDevice(LprFindDeviceCallback callback, void* userData) {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return -1;
    }
    self->Record(MakeCall("LprStartFindDevice", std::string(), {}, nullptr, 0));
    std::lock_guard<std::mutex> searchGuard(self->m_searchMutex);
    if (self->m_search.joinable()) {
        self->m_search.join();
    }
    std::vector<std::pair<std::string, uint32_t>> found;
    {
        std::lock_guard<std::mutex> guard(self->m_mutex);
        found = self->m_found;
        self->m_dropped = self->m_dropScript;
    }
    self->m_search = std::thread([found, callback, userData] {
        for (const auto& [address, port] : found) {
            if (callback != nullptr) {
                callback(0, address.c_str(), port, 0, 0, 0, userData);
            }
        }
    });
    return 0;
}

uint32_t FakeSdk::GetSearchDropCount() {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return 0;
    }
    std::lock_guard<std::mutex> guard(self->m_mutex);
    return self->m_dropped;
}

void FakeSdk::SetSearchDropCount(uint32_t dropped) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_dropScript = dropped;
}

int32_t FakeSdk::StopFindDevice() {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return 0;
    }
    self->Record(MakeCall("LprStopFindDevice", std::string(), {}, nullptr, 0));
    std::lock_guard<std::mutex> searchGuard(self->m_searchMutex);
    for (std::thread* running : {&self->m_search, &self->m_probe}) {
        if (running->joinable()) {
            running->join();
        }
    }
    return 0;
}

int32_t FakeSdk::ProbeAddresses(const uint32_t* addresses, uint32_t count,
                                LprFindDeviceCallback callback, void* userData) {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return -1;
    }
    std::vector<std::string> targets;
    for (uint32_t i = 0; addresses != nullptr && i < count; ++i) {
        const uint32_t a = addresses[i];
        targets.push_back(std::to_string(a >> 24) + '.' + std::to_string((a >> 16) & 0xff) + '.' +
                          std::to_string((a >> 8) & 0xff) + '.' + std::to_string(a & 0xff));
    }
    const bool refused = targets.empty() || count > LPR_PROBE_MAX_ADDRESSES || callback == nullptr;
    self->Record(MakeCall("LprProbeAddresses", std::string(), targets, nullptr, refused ? -1 : 0));
    if (refused) {
        return -1;
    }
    std::vector<std::pair<std::string, uint32_t>> answers;
    {
        std::lock_guard<std::mutex> guard(self->m_mutex);
        for (const std::string& target : targets) {
            auto it = self->m_cameras.find(target);
            if (it != self->m_cameras.end() && it->second.probePort != 0 &&
                std::find(answers.begin(), answers.end(),
                          std::make_pair(target, it->second.probePort)) == answers.end()) {
                answers.emplace_back(target, it->second.probePort);
            }
        }
    }
    std::lock_guard<std::mutex> searchGuard(self->m_searchMutex);
    if (self->m_probe.joinable()) {
        self->m_probe.join();
    }
    self->m_probe = std::thread([answers, callback, userData] {
        for (const auto& [address, port] : answers) {
            callback(0, address.c_str(), port, 0, 0, 0, userData);
        }
    });
    return 0;
}

int32_t FakeSdk::StopProbe() {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return 0;
    }
    self->Record(MakeCall("LprStopProbe", std::string(), {}, nullptr, 0));
    std::lock_guard<std::mutex> searchGuard(self->m_searchMutex);
    if (self->m_probe.joinable()) {
        self->m_probe.join();
    }
    return 0;
}

LprHandle FakeSdk::Open(const char* address, uint32_t port, const char* user,
                        const char* password) {
    FakeSdk* self = Instance();
    if (self == nullptr || address == nullptr) {
        return nullptr;
    }
    LprHandle handle = nullptr;
    {
        std::lock_guard<std::mutex> guard(self->m_mutex);
        if (!self->m_cameras[address].openFails) {
            handle = reinterpret_cast<LprHandle>(self->m_nextHandle);
            self->m_nextHandle += 0x10;
            HandleState& state = self->m_handles[reinterpret_cast<uintptr_t>(handle)];
            state.address = address;
            const std::string& serial = self->m_cameras[address].serial;
            state.loginSerial = serial.empty() ? std::string(address) : serial;
        }
    }
    self->Record(
        MakeCall("LprOpen", address,
                 std::vector<std::string>{std::to_string(port), Text(user), Text(password)}, handle,
                 handle != nullptr ? 1 : 0));
    return handle;
}

int32_t FakeSdk::Close(LprHandle handle) {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return -1;
    }
    std::string address;
    int32_t result = -1;
    {
        std::lock_guard<std::mutex> guard(self->m_mutex);
        if (HandleState* h = self->Handle(handle)) {
            address = h->address;
            h->open = false;
            result = 0;
        }
    }
    self->Record(MakeCall("LprClose", address, {}, handle, result));
    return result;
}

int32_t FakeSdk::IsConnected(LprHandle handle, uint8_t* status) {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return -1;
    }
    std::string address;
    int32_t result = -1;
    bool connected = false;
    {
        std::lock_guard<std::mutex> guard(self->m_mutex);
        if (HandleState* h = self->Handle(handle)) {
            address = h->address;
            result = 0;
            if (!h->rebooting) {
                connected = true;
            } else if (h->pollsLeft == 0) {
                connected = true;
                h->rebooting = false;
            } else if (h->pollsLeft > 0) {
                --h->pollsLeft;
            }
        }
    }
    // Like the network SDK, only a connection writes the status.
    if (connected && status != nullptr) {
        status[0] = 1;
    }
    self->Record(MakeCall("LprIsConnected", address,
                          std::vector<std::string>{connected ? "1" : "0"}, handle, result));
    return result;
}

int32_t FakeSdk::GetVersion(LprHandle handle, int32_t* v1, int32_t* v2, int32_t* v3, int32_t* v4) {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return -1;
    }
    std::string address;
    VersionReply reply{.result = -1};
    {
        std::lock_guard<std::mutex> guard(self->m_mutex);
        if (HandleState* h = self->Handle(handle)) {
            address = h->address;
            CameraScript& cam = self->m_cameras[address];
            if (!cam.versionReplies.empty()) {
                reply = cam.versionReplies.front();
                cam.versionReplies.pop_front();
            } else {
                reply.result = cam.versionFails ? -1 : 0;
                std::memcpy(reply.parts, cam.version, sizeof reply.parts);
            }
        }
    }
    if (reply.result == 0) {
        *v1 = reply.parts[0];
        *v2 = reply.parts[1];
        *v3 = reply.parts[2];
        *v4 = reply.parts[3];
    }
    std::string text = std::to_string(reply.parts[0]) + "." + std::to_string(reply.parts[1]) + "." +
                       std::to_string(reply.parts[2]) + "." + std::to_string(reply.parts[3]);
    self->Record(MakeCall("LprGetVersion", address,
                          std::vector<std::string>{reply.result == 0 ? text : std::string()},
                          handle, reply.result));
    return reply.result;
}

int32_t FakeSdk::UpdateStart(LprHandle handle, const char* imagePath) {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return -1;
    }
    std::string address;
    int32_t result = -1;
    {
        std::lock_guard<std::mutex> guard(self->m_mutex);
        if (HandleState* h = self->Handle(handle)) {
            address = h->address;
            CameraScript& cam = self->m_cameras[address];
            Transfer transfer;
            const bool scripted = !cam.transfers.empty();
            if (scripted) {
                transfer = cam.transfers.front();
                cam.transfers.pop_front();
            }
            if (transfer.states.empty()) {
                transfer.states = {1};
            }
            h->hasTarget = ImageTarget(imagePath, h->target);
            // Like a camera, unless told otherwise: an image of the running
            // version is refused as already installed.
            if (!scripted && h->hasTarget && std::equal(h->target, h->target + 4, cam.version)) {
                transfer.states = {LPR_UPDATE_STATE_FAILED};
                transfer.error = LPR_ERR_ALREADY_INSTALLED;
            }
            result = transfer.startResult;
            h->transfer = transfer;
            h->stateIndex = 0;
            h->flashed = false;
            h->transferActive = result != -1;
        }
    }
    self->Record(MakeCall("LprUpdateStart", address, std::vector<std::string>{Text(imagePath)},
                          handle, result));
    return result;
}

int32_t FakeSdk::UpdateGetState(LprHandle handle) {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return -1;
    }
    std::string address;
    int32_t state = -1;
    int32_t error = LPR_ERR_NOT_CONNECTED;
    {
        std::lock_guard<std::mutex> guard(self->m_mutex);
        if (HandleState* h = self->Handle(handle)) {
            address = h->address;
            if (h->transferActive) {
                const std::vector<int32_t>& states = h->transfer.states;
                state = states[std::min(h->stateIndex, states.size() - 1)];
                ++h->stateIndex;
                error = h->transfer.error;
                const bool written = state == LPR_UPDATE_STATE_DONE ||
                                     (error == LPR_ERR_CONNECTION_LOST &&
                                      (state == LPR_UPDATE_STATE_FAILED ||
                                       state == LPR_UPDATE_STATE_TRANSPORT_FAILED));
                if (written && !h->transfer.keepsVersion && !h->flashed) {
                    int32_t* version = self->m_cameras[address].version;
                    if (h->hasTarget) {
                        std::copy(h->target, h->target + 4, version);
                    } else {
                        ++version[3];
                    }
                    h->flashed = true;
                }
            }
        }
    }
    if (state == LPR_UPDATE_STATE_FAILED || state == LPR_UPDATE_STATE_TRANSPORT_FAILED) {
        t_lastError = error;
    }
    self->Record(MakeCall("LprUpdateGetState", address, {}, handle, state));
    return state;
}

int32_t FakeSdk::UpdateGetError() {
    FakeSdk* self = Instance();
    const int32_t error = t_lastError;
    if (self != nullptr) {
        self->Record(MakeCall("LprUpdateGetError", std::string(), {}, nullptr, error));
    }
    return error;
}

int32_t FakeSdk::Reboot(LprHandle handle) {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return -1;
    }
    std::string address;
    int32_t result = -1;
    {
        std::lock_guard<std::mutex> guard(self->m_mutex);
        if (HandleState* h = self->Handle(handle)) {
            address = h->address;
            CameraScript& cam = self->m_cameras[address];
            if (!cam.serialAfterRestart.empty()) {
                cam.serial = cam.serialAfterRestart;
            }
            h->rebooting = true;
            h->pollsLeft = 0;
            if (!cam.connectAfterPolls.empty()) {
                h->pollsLeft = cam.connectAfterPolls.front();
                cam.connectAfterPolls.pop_front();
            }
            h->transferActive = false;
            result = 0;
        }
    }
    self->Record(MakeCall("LprReboot", address, {}, handle, result));
    return result;
}

int32_t FakeSdk::ShellExec(const char* address, const char* command) {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return -1;
    }
    int32_t result = 0;
    {
        std::lock_guard<std::mutex> guard(self->m_mutex);
        const CameraScript& cam = self->m_cameras[Text(address)];
        auto it = cam.shellResults.find(Text(command));
        if (it != cam.shellResults.end()) {
            result = it->second;
        }
    }
    self->Record(MakeCall("RemoteShellExec", Text(address), std::vector<std::string>{Text(command)},
                          nullptr, result));
    return result;
}

// Not recorded: the identity checks ride along every run and would only
// crowd the call lists the tests compare.
int32_t FakeSdk::GetIdentity(LprHandle handle, LprIdentity* atLogin, LprIdentity* current) {
    FakeSdk* self = Instance();
    if (self == nullptr) {
        return -1;
    }
    std::lock_guard<std::mutex> guard(self->m_mutex);
    HandleState* h = self->Handle(handle);
    if (h == nullptr) {
        return -1;
    }
    if (atLogin != nullptr) {
        CopySerial(atLogin, h->loginSerial);
    }
    if (current != nullptr) {
        const std::string& serial = self->m_cameras[h->address].serial;
        CopySerial(current, serial.empty() ? h->address : serial);
    }
    return 0;
}
