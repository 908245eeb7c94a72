#pragma once
// The processor of one sample type: the bodies written once over the type, instantiated for the
// four types (RAVO_FOR_EACH_SAMPLE_TYPE) in the file that defines them.
#include "engine/processor.h"
#include "engine/sample_types.h"

template <class Traits>
class SampleProcessor final : public SoundBlockProcessor {
public:
    typedef typename Traits::Sample Sample;

    void zero() override;
    void amplify() override;
    void changeMaxVolume() override;
    void assign() override;
    void add() override;
    void mirror() override;
    void invert() override;
    void center() override;
    void nlPrefading() override;
    void nlFading() override;
    void prefading() override;
    void fading() override;
    void crossfading() override;
    void crescendo() override;
    void diminuendo() override;
    void pulsation() override;
    void pulsationPositive() override;
    void pulsationDissymetric() override;
    void pulsationRandom() override;
    void lowCutFilter() override;
    void highCutFilter() override;
    void bandCutFilter() override;
    void bandPassFilter() override;
    void biquadFilter(u32 type) override;
    void equalizer() override;
    void cut() override;
    void crossfadeStart(const u8* oldBytes, u8* newBytes, i32 byteCount) override;
    void crossfadeEnd(const u8* oldBytes, u8* newBytes, i32 byteCount) override;
    void find() override;
    void drawPoints() override;
    void drawLine() override;
    void drawCurve() override;
    void applyPluginEffect() override;
    void echo() override;
    void chorus() override;
    void pitch() override;
    void pitchScale() override;
    void tempo() override;
    void vibrato() override;
    void vibratoRandom() override;
    void sineGenerate(u32 mix) override;
    void fftGenerate(u32 mix) override;
    void fftRepeat() override;

    // The plainest walks of a same-length change: the selected tracks silenced, or multiplied by
    // param1 with the rounded store; the other tracks copied. A cancel does not stop them.
    void clearChannelsKernel(const RangeChange& change);
    void gainKernel(const RangeChange& change);
    // Vibrato over the range: output frame n reads the old frame n - delay(n) through the cubic window.
    template <class Delay>
    void vibratoWith(Delay delay);
};
