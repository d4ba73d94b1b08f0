// A MIDI sender for the tests: a virtual RtMidi output port on the running JACK server. It
// prints "ready", then sends each line of hexadecimal bytes it reads ("90 3C 64"); "burst N"
// sends N note-ons with rising keys and velocities at once; end of input ends it.
#include <iostream>
#include <rtmidi/RtMidi.h>
#include <sstream>
#include <string>
#include <vector>

int main()
{
    try {
        RtMidiOut out(RtMidi::UNIX_JACK, "Quillon test sender");
        out.openVirtualPort("out");
        std::cout << "ready" << std::endl;
        std::string line;
        while (std::getline(std::cin, line)) {
            std::istringstream words(line);
            std::string first;
            words >> first;
            if (first == "burst") {
                int count = 0;
                words >> count;
                for (int i = 0; i < count; ++i) {
                    std::vector<unsigned char> note{0x90, (unsigned char)(i % 128),
                                                    (unsigned char)(1 + i / 128)};
                    out.sendMessage(&note);
                }
            } else {
                std::vector<unsigned char> bytes;
                for (std::istringstream all(line); all >> std::hex;) {
                    unsigned value = 0;
                    if (!(all >> value))
                        break;
                    bytes.push_back((unsigned char)value);
                }
                if (!bytes.empty())
                    out.sendMessage(&bytes);
            }
            std::cout << "sent" << std::endl;
        }
    } catch (const RtMidiError& error) {
        std::cerr << error.getMessage() << std::endl;
        return 1;
    }
    return 0;
}
