// Fuzz target: any bytes as apps.tx. Either the decode fails and leaves
// nothing allocated, or its records are whole, and encoding them and
// decoding again gives back the same records and the same bytes.
#include "tests/fuzz/fuzz.h"
#include "tests/fuzz/native.h"

using namespace native;

namespace {

// Decodes the bytes, at most `piece` of them a read: true when it gave
// records, which the caller frees.
bool Decode(const Bytes& bytes, size_t piece)
{
    Source in{bytes, piece};
    if (DecodeMenuList(DATAFILE_VERSION, ReadSource, &in) == DATAFILE_OK)
        return true;
    Check(g_menuHead == NULL && liveBlocks == 0, "a failed decode left records");
    return false;
}

Bytes Encode()
{
    Sink out;
    Check(EncodeMenuList(DATAFILE_VERSION, WriteSink, &out) == 1, "the encode failed");
    return out.bytes;
}

void FreeRecords()
{
    FreeAllMenus();
    Check(liveBlocks == 0, "records left allocated");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reset();
    if (!Decode(Bytes(data, data + size), SIZE_MAX))
        return 0;
    const char* fault = ListFault();
    Check(fault == NULL, fault ? fault : "");
    const Menus loaded = ReadMenus();
    size_t apps = 0;
    for (const FileMenu& menu : loaded)
        apps += menu.apps.size();
    const Bytes saved = Encode();
    Check(saved.size() == 4 + MENU_RECORD_SIZE * loaded.size() + APP_RECORD_SIZE * apps, "the encoded size");
    FreeRecords();

    // Again in small pieces, so that records straddle the reads.
    Check(Decode(saved, 7), "the encoded bytes were refused");
    Check(ReadMenus() == loaded, "the records changed through an encode and a decode");
    Check(Encode() == saved, "a second encode gave other bytes");
    FreeRecords();
    return 0;
}
