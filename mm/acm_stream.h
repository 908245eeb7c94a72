#pragma once
// A sound source that passes the bytes of its inner source (which it owns) through a conversion
// stream of the machine's audio compression manager. Every failing call goes to the error sink as
// the text of its result code, and the sink's answer decides whether the operation goes on. A codec
// that faults inside a call is contained (mm/plugin_guard.h), reported and not called again.
#include <vector>

#include "core/error.h"
#include "mm/sound_source.h"

struct tWAVEFORMATEX;
typedef struct tWAVEFORMATEX WAVEFORMATEX;

// A format copy of the size the conversion manager expects: 16 bytes for PCM, else 18 + cbSize.
typedef std::vector<u8> AcmFormatBytes;
AcmFormatBytes copyAcmFormat(const WAVEFORMATEX* format);
inline const WAVEFORMATEX* asFormat(const AcmFormatBytes& b) {
    return b.empty() ? nullptr : reinterpret_cast<const WAVEFORMATEX*>(b.data());
}
inline WAVEFORMATEX* mutableFormat(AcmFormatBytes& b) { return reinterpret_cast<WAVEFORMATEX*>(b.data()); }

// The stream's state.
enum : u32 {
    acmNew = 0,
    acmConverting = 1,
    acmSourceFinished = 2,
    acmFlushed = 3,
    acmClosed = 4,
};

// The platform's stream header (byte-packed): 84 bytes on 32-bit Windows, 124 on 64-bit.
const u32 acmStreamHeaderBytes = sizeof(void*) == 4 ? 84 : 124;

class AcmStream : public SoundSource {
public:
    AcmStream();
    ~AcmStream() override;

    // Takes the inner source and opens a stream converting byteCount bytes of it from the source to
    // the destination format, with the given driver (null: any).
    bool open(SoundSource* inner, const WAVEFORMATEX* source, u64 byteCount, const WAVEFORMATEX* destination,
              void* driver = nullptr);
    // The same to PCM, with the driver and format found best for it (16 bits, the source's channels
    // and rate preferred). Without one the no-codec message goes to the sink and the answer is false.
    bool openToPcm(SoundSource* inner, const WAVEFORMATEX* source, u64 byteCount);

    bool atStart() const override { return state == acmNew; }
    bool atEnd() const override { return state == acmClosed && pendingCount == 0; }
    bool read(void* buffer, u32* bytes) override;
    u64 position() const override;
    bool close(u32 flag) override;
    bool seek(u64 start, u64 length) override;
    bool setInner(SoundSource* source) override;
    const WAVEFORMATEX* format() const override { return asFormat(destinationFormat); }
    bool rewind() override;

    // Fills the source buffer from the inner source, then one step of the conversion. The bytes
    // produced are then at producedData() (producedBytes() of them).
    bool fillAndConvert();
    // One step of the state machine.
    bool convertStep();
    // Closes the stream and opens it again on the stored formats: everything converted is dropped.
    bool reset();

    u32 currentState() const { return state; }
    const u8* producedData() const { return destinationBuffer.data(); }
    u32 producedBytes() const { return producedNow; }
    u32 sourceBlockBytes() const { return (u32)sourceBuffer.size(); }
    u64 sourceBytesUsed() const { return usedTotal; }
    u64 bytesProduced() const { return producedTotal; }

    ErrorHandler* errorSink;
    WindowErrorHandler ownSink;
    // Bytes the inner source delivers before its range at every start (Ogg header pages): counted
    // in the byte count of open, and again after a seek.
    u32 leadBytes = 0;

private:
    bool report(u32 result);
    bool codecFailed(u32 result);
    bool askSize(u32 block, unsigned long* size);
    bool openStream();
    bool prepareHeader();
    void closeStream();
    bool fillSource();

    void* stream = nullptr;
    u32 state = acmNew;
    bool prepared = false;
    std::vector<u8> sourceBuffer;
    std::vector<u8> destinationBuffer;
    alignas(8) u8 header[acmStreamHeaderBytes];  // the stream header bound to both buffers
    u64 total = 0;             // source bytes to convert
    u64 usedTotal = 0;         // source bytes the codec has used
    u64 producedTotal = 0;
    u32 held = 0;              // source bytes in the source buffer
    u32 producedNow = 0;
    u32 pendingCount = 0;      // produced bytes not yet handed out
    const u8* pending = nullptr;
    SoundSource* inner = nullptr;
    AcmFormatBytes sourceFormat;
    AcmFormatBytes destinationFormat;
    void* driver = nullptr;    // opened by the stream, or given
    bool ownsDriver = false;
    bool crashed = false;      // the codec failed inside a call
};
