// Codec throughput in PDUs per second (items_per_second): run build/codec_bench.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "SmsCodec.h"

namespace {

std::string Chinese(int n)
{
    static const char* const chars[] = {"中", "文", "短", "信", "测", "试"};
    std::string text;
    for (int i = 0; i < n; ++i)
        text += chars[i % 6];
    return text;
}

SM_PARAM Record()
{
    SM_PARAM p;
    std::memset(&p, 0, sizeof p);
    std::strcpy(p.szSmsc, "8613800100500");
    std::strcpy(p.szPeer, "18300000000");
    p.bNational = true;
    p.nDcs = 8;
    return p;
}

void EncodeSingle70(benchmark::State& state)
{
    SM_PARAM p = Record();
    std::strcpy(p.szText, Chinese(70).c_str());
    std::string cmd;
    for (auto _ : state)
        benchmark::DoNotOptimize(gsmEncodePduNew(&p, cmd));
    state.SetItemsProcessed(state.iterations());
}

void EncodeLong600(benchmark::State& state)
{
    const std::string text = Chinese(600);
    SM_PARAM p = Record();
    p.pLongText = text.c_str();
    size_t parts = 0;
    for (auto _ : state) {
        std::vector<std::string> out;
        gsmLongSmsPdu(&p, out, true);
        parts += out.size();
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(static_cast<int64_t>(parts));
}

void Decode(benchmark::State& state, const std::string& pdu)
{
    for (auto _ : state) {
        SM_PARAM p;
        std::memset(&p, 0, sizeof p);
        benchmark::DoNotOptimize(gsmDecodeSendPdu(pdu.c_str(), &p));
    }
    state.SetItemsProcessed(state.iterations());
}

void DecodeSingle(benchmark::State& state)
{
    SM_PARAM p = Record();
    std::strcpy(p.szText, Chinese(70).c_str());
    std::string cmd;
    std::string pdu = gsmEncodePduNew(&p, cmd);
    pdu.pop_back(); // Ctrl-Z
    Decode(state, pdu);
}

void DecodePart(benchmark::State& state)
{
    const std::string text = Chinese(600);
    SM_PARAM p = Record();
    p.pLongText = text.c_str();
    std::vector<std::string> parts;
    gsmLongSmsPdu(&p, parts, true);
    Decode(state, parts[0]);
}

} // namespace

BENCHMARK(EncodeSingle70);
BENCHMARK(EncodeLong600);
BENCHMARK(DecodeSingle);
BENCHMARK(DecodePart);
BENCHMARK_MAIN();
