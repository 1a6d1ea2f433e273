#include "soundfont/EnvelopeMapping.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

// The bank's units: per-sample rates at 22050 Hz, levels of 65536 per unit up to 127.
constexpr double referenceRate = 22050;
constexpr double fullScale = 127.0 * 65536.0;
// The smallest rate that survives the conversion to 44100 Hz, which halves rates.
constexpr std::int32_t slowestRate = 2;

// Timecents as seconds, within the range the format gives them.
double secondsOf(std::int32_t timecents)
{
    if (timecents <= -32768)
        return 0;
    return std::exp2(std::clamp(timecents, -12000, 8000) / 1200.0);
}

double decibelsOf(std::int32_t centibels)
{
    return std::clamp(centibels, 0, 1440) / 10.0;
}

std::int32_t samplesOf(double seconds)
{
    return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(seconds * referenceRate)));
}

std::int32_t rateFor(double levelChange, std::int32_t samples)
{
    return std::max(slowestRate, static_cast<std::int32_t>(std::lround(levelChange / samples)));
}

double gainOf(double decibels)
{
    return std::pow(10.0, -decibels / 20.0);
}

// The hold and the decay as one falling curve, relative to the peak, over [0, end].
struct DecayCurve {
    double hold;
    double decay;
    double end;
    double endGain;

    double at(double t) const
    {
        if (t <= hold)
            return 1;
        if (t >= end)
            return endGain;
        return gainOf(100.0 * (t - hold) / decay);
    }

    // Largest gap between the curve and the two straight lines through its ends and
    // the point at `knee`.
    double strayWith(double knee) const
    {
        const double kneeGain = at(knee);
        double largest = 0;
        constexpr int points = 128;
        for (int i = 1; i < points; ++i) {
            const double t = end * i / points;
            const double line =
                t <= knee ? 1 + (kneeGain - 1) * t / knee : kneeGain + (endGain - kneeGain) * (t - knee) / (end - knee);
            largest = std::max(largest, std::abs(line - at(t)));
        }
        return largest;
    }

    double bestKnee() const
    {
        double best = end / 2;
        double bestStray = strayWith(best);
        auto consider = [&](double knee) {
            if (knee <= 0 || knee >= end)
                return;
            const double stray = strayWith(knee);
            if (stray < bestStray) {
                best = knee;
                bestStray = stray;
            }
        };
        for (int i = 1; i < 64; ++i)
            consider(end * i / 64);
        consider(hold);
        return best;
    }
};

std::string milliseconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f ms", seconds * 1000);
    return text;
}

} // namespace

VolumeEnvelope volumeEnvelopeOf(const PlayedZone& zone, int key)
{
    VolumeEnvelope envelope;
    // Hold and decay may shorten or lengthen with the key, around key 60.
    const int fromMiddle = 60 - key;
    envelope.delay = secondsOf(zone[generator::delayVolEnv]);
    envelope.attack = secondsOf(zone[generator::attackVolEnv]);
    envelope.hold = secondsOf(zone[generator::holdVolEnv] + zone[generator::keynumToVolEnvHold] * fromMiddle);
    envelope.decay = secondsOf(zone[generator::decayVolEnv] + zone[generator::keynumToVolEnvDecay] * fromMiddle);
    envelope.sustainDecibels = decibelsOf(zone[generator::sustainVolEnv]);
    envelope.release = secondsOf(zone[generator::releaseVolEnv]);
    envelope.attenuationDecibels = decibelsOf(zone[generator::initialAttenuation]);
    return envelope;
}

void setEnvelopeStages(ToneRecord& r, const VolumeEnvelope& envelope, std::vector<std::string>& notes)
{
    const double peak = fullScale * gainOf(envelope.attenuationDecibels);
    r.DL = static_cast<std::int32_t>(std::lround(peak));
    r.AR = rateFor(peak, samplesOf(envelope.attack));
    if (envelope.delay >= 0.001)
        notes.push_back("envelope delay of " + milliseconds(envelope.delay) + " dropped");

    const bool fadesOut = envelope.sustainDecibels >= silenceDecibels;
    const double sustainDecibels = std::min(envelope.sustainDecibels, silenceDecibels);
    const double sustain = fadesOut ? 0 : peak * gainOf(sustainDecibels);
    r.SL = static_cast<std::int32_t>(std::lround(sustain));
    // A sustain of silence ends the voice once the decay has reached it.
    r.SR = fadesOut ? slowestRate : 0;

    const double decayTime = envelope.decay * sustainDecibels / 100.0;
    const DecayCurve curve{envelope.hold, envelope.decay, envelope.hold + decayTime, sustain / std::max(peak, 1.0)};
    if (sustainDecibels <= 0) {
        // Nothing falls: both stages end on their first sample at the peak.
        r.DR = r.NR = slowestRate;
        r.NL = r.SL = r.DL;
    } else if (curve.end <= 0) {
        // The level drops to the sustain level at once.
        r.DR = slowestRate;
        r.NL = r.DL;
        r.NR = rateFor(peak - sustain, 1);
    } else {
        const double knee = curve.bestKnee();
        const std::int32_t first = samplesOf(knee);
        const std::int32_t second = samplesOf(curve.end - knee);
        r.DR = rateFor(peak * (1 - curve.at(knee)), first);
        // The first stage lasts its time even when it barely falls (a hold).
        r.NL = static_cast<std::int32_t>(std::max<std::int64_t>(r.SL, r.DL - static_cast<std::int64_t>(r.DR) * first));
        r.NR = rateFor(r.NL - sustain, second);
    }

    // The release runs from the sustain level (or from the peak for a tone that fades
    // out by itself) down to 0 in the time the font's release takes to silence.
    const double releaseFrom = fadesOut ? 0 : sustainDecibels;
    const double releaseTime = envelope.release * (silenceDecibels - releaseFrom) / 100.0;
    r.RR = rateFor(fadesOut ? peak : sustain, samplesOf(releaseTime));
}
