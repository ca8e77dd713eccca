// One getLUNInfo through TavManageHuawei against the embedded simulator over HTTPS, beside a bare
// libcurl GET of the same resource on one reused connection with the same headers, in the same
// run; prints the ratio of their medians.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/TavManageHuawei.h"
#include "platform/TavPlatformInfo.h"
#include "sim/SimArray.h"

namespace {

constexpr const char* kUser = "admin";
constexpr const char* kPassword = "Admin@123";

struct Target {
    uint16_t port = 0;
    std::string lunId;
};
Target g_target;

size_t collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

struct CurlFree {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

// The least a client can do: one handle, one connection, the request set up once.
class BareGet {
  public:
    bool open(std::string& error) {
        m_curl.reset(curl_easy_init());
        const std::string base =
            "https://127.0.0.1:" + std::to_string(g_target.port) + "/deviceManager/rest/";
        std::string login =
            nlohmann::json{{"username", kUser}, {"password", kPassword}, {"scope", "0"}}.dump();
        m_headers.reset(curl_slist_append(nullptr, "Content-Type: application/json"));
        setCommon(base + "xx/sessions");
        curl_easy_setopt(m_curl.get(), CURLOPT_POSTFIELDS, login.c_str());
        if (!perform(error)) {
            return false;
        }
        nlohmann::json data = nlohmann::json::parse(m_body, nullptr, false)["data"];
        if (!data.is_object() || !data.contains("iBaseToken")) {
            error = "login refused: " + m_body;
            return false;
        }
        std::string token = "iBaseToken: " + data["iBaseToken"].get<std::string>();
        m_headers.reset(curl_slist_append(m_headers.release(), token.c_str()));
        curl_easy_setopt(m_curl.get(), CURLOPT_HTTPGET, 1L);
        setCommon(base + data["deviceid"].get<std::string>() + "/lun/" + g_target.lunId);
        return true;
    }
    bool get(std::string& error) { return perform(error) && m_body.find("\"code\":0") != std::string::npos; }

  private:
    void setCommon(const std::string& url) {
        CURL* h = m_curl.get();
        curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, m_headers.get());
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &m_body);
    }
    bool perform(std::string& error) {
        m_body.clear();
        CURLcode rc = curl_easy_perform(m_curl.get());
        if (rc != CURLE_OK) {
            error = curl_easy_strerror(rc);
            return false;
        }
        return true;
    }
    std::unique_ptr<CURL, CurlFree> m_curl;
    std::unique_ptr<curl_slist, CurlFree> m_headers;
    std::string m_body;
};

// A logged-in client, or the error that stopped it.
bool openClient(TavManageHuawei& client, std::string& error) {
    if (!client.createSession(kUser, kPassword, "127.0.0.1")) {
        error = client.lastSessionError();
        return false;
    }
    return true;
}

bool clientGet(TavManageHuawei& client, std::string& error) {
    _HuaweiLUNInfo info;
    HuaweiApi::ResultStatus st = client.getLUNInfo(info, g_target.lunId, TavManageHuawei::kNoVStore);
    if (st.IsError()) {
        error = st.GetErrorString();
        return false;
    }
    benchmark::DoNotOptimize(info.name);
    return true;
}

void BM_TavManageHuaweiGetLunInfo(benchmark::State& state) {
    TavManageHuawei client(0);
    std::string error;
    if (!openClient(client, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        if (!clientGet(client, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    client.closeSession();
}

void BM_BareCurlGet(benchmark::State& state) {
    BareGet bare;
    std::string error;
    if (!bare.open(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        if (!bare.get(error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
}

// One call of each per iteration, timed apart: both see the same moment's machine load, which on
// a shared machine moves more between two separate runs than the difference being measured.
std::vector<double> g_bareUs, g_clientUs;

void BM_Interleaved(benchmark::State& state) {
    TavManageHuawei client(0);
    BareGet bare;
    std::string error;
    if (!openClient(client, error) || !bare.open(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    using Steady = std::chrono::steady_clock;
    for (auto _ : state) {
        auto t0 = Steady::now();
        bool ok = bare.get(error);
        auto t1 = Steady::now();
        ok = ok && clientGet(client, error);
        auto t2 = Steady::now();
        if (!ok) {
            state.SkipWithError(error.c_str());
            break;
        }
        g_bareUs.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        g_clientUs.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
    }
    client.closeSession();
}

BENCHMARK(BM_BareCurlGet)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TavManageHuaweiGetLunInfo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Interleaved)->Unit(benchmark::kMicrosecond)->Iterations(4000);

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    tavso::sim::SimArrayOptions options;
    options.startCli = false;
    tavso::sim::SimArray array(options);
    std::string error;
    if (!array.startRest(&error)) {
        std::fprintf(stderr, "simulator did not start: %s\n", error.c_str());
        return 1;
    }
    g_target.port = array.restPort();
    g_target.lunId = std::to_string(array.model().addLun("bench_lun", 10 * tavso::sim::kSectorsPerGb));
    ScopedSettings settings("[~Dravel]\nHW_REST_PORT=" + std::to_string(g_target.port) + "\n");

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_bareUs.empty()) {
        return 0;  // the interleaved run was filtered out or failed
    }
    double bare = median(g_bareUs), client = median(g_clientUs);
    std::printf("rest_call: %zu interleaved GET /lun/%s over HTTPS on one kept-alive connection each\n",
                g_bareUs.size(), g_target.lunId.c_str());
    std::printf("  bare libcurl GET                  median %8.1f us\n", bare);
    std::printf("  TavManageHuawei::getLUNInfo       median %8.1f us\n", client);
    std::printf("  ratio (median)                    %.2f   (target <= 1.30)\n", client / bare);
    return 0;
}
