#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

// Points ALSA at a configuration of our own, written to `path`, for the life of the
// object.
class AlsaConfiguration {
public:
    AlsaConfiguration(const std::string& path, const std::string& text) : path_(path)
    {
        std::ofstream(path_) << text;
        if (const char* old = std::getenv("ALSA_CONFIG_PATH"))
            old_ = std::make_unique<std::string>(old);
        setenv("ALSA_CONFIG_PATH", path_.c_str(), 1);
    }
    ~AlsaConfiguration()
    {
        if (old_)
            setenv("ALSA_CONFIG_PATH", old_->c_str(), 1);
        else
            unsetenv("ALSA_CONFIG_PATH");
        std::remove(path_.c_str());
    }
    AlsaConfiguration(const AlsaConfiguration&) = delete;
    AlsaConfiguration& operator=(const AlsaConfiguration&) = delete;

private:
    std::string path_;
    std::unique_ptr<std::string> old_;
};

// A default device that is a WAV file at `capturePath`, fed by a sink that plays faster
// than real time.
inline std::string alsaFileDevice(const std::string& capturePath)
{
    return "pcm.!default {\n"
           "    type file\n"
           "    slave { pcm { type null } }\n"
           "    file \"" +
           capturePath +
           "\"\n"
           "    format \"wav\"\n"
           "}\n";
}

// A default device on a card that does not exist: opening it fails.
inline const char* alsaMissingCard = "pcm.!default { type hw card 31 device 0 }\n";
