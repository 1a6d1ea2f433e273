#include "editor/ProgramNames.h"

#include "framework/ComboBox.h"

const std::array<const char*, programNameCount> programNames = {
    "0: Piano 1", "1: Piano 2", "2: Piano 3", "3: HonkyTonk",
    "4: E.Piano 1", "5: E.Piano 2", "6: Harpsichord", "7: Clav.",
    "8: Celesta", "9: Glockenspiel", "10: Music Box", "11: Vibraphone",
    "12: Marimba", "13: Xylophone", "14: TubularBell", "15: Santur",
    "16: Organ 1", "17: Organ 2", "18: Organ 3", "19: Church Organ 1",
    "20: Reed Organ", "21: Accordion French", "22: Harmonica", "23: Bandoneon",
    "24: NylonStr Gt.", "25: SteelStr Gt.", "26: Jazz Gt.", "27: Clean Gt.",
    "28: Muted Gt.", "29: Overdrive", "30: Distortion Gt.", "31: Gt.Harmonics",
    "32: Acoustic Bass", "33: Fingered Bass", "34: Picked Bass", "35: Fetless Bass",
    "36: Slap Bass 1", "37: Slap Bass 2", "38: Synth Bass 1", "39: Synth Bass 2",
    "40: Violin", "41: Viola", "42: Cello", "43: Contrabass",
    "44: Tremolo String", "45: Pizzicato String", "46: Harp", "47: Timpani",
    "48: Strings", "49: Slow Strings", "50: Syn.Strings 1", "51: Syn.Strings 2",
    "52: Choir Aahs", "53: Voice Oohs", "54: SynVox", "55: Orchestra Hit",
    "56: Trumpet", "57: Trombone", "58: Tuba", "59: MutedTrumpet",
    "60: French Horns", "61: Brass 1", "62: Synth Brass 1", "63: Synth Brass 2",
    "64: Soprano Sax", "65: Alto Sax", "66: Tenor Sax", "67: Baritone Sax",
    "68: Oboe", "69: English Horn", "70: Basson", "71: Clarinet",
    "72: Piccolo", "73: Flute", "74: Recorder", "75: Pan Flute",
    "76: Bottle Blow", "77: Shakuhachi", "78: Whistel", "79: Ocarina",
    "80: Square Wave", "81: Saw Wave", "82: Syn.Calliope", "83: Chiffer Lead",
    "84: Charang", "85: Solo Vox", "86: 5th Saw Wave", "87: Bass Lead",
    "88: Fantasia", "89: Warm Pad", "90: Polysynth", "91: Space Voice",
    "92: Bowed Glass", "93: Metal Pad", "94: Helo Pad", "95: Sweep Pad",
    "96: Ice Rain", "97: Soundtrack", "98: Crystal", "99: Atmosphere",
    "100: Brightness", "101: Goblin", "102: Echo Drops", "103: Star Theme",
    "104: Sitar", "105: Banjo", "106: Shamisen", "107: Koto",
    "108: Kalimba", "109: Bagpipe", "110: Fiddle", "111: Shanai",
    "112: Tinkle Bell", "113: Agogo", "114: SteelDrums", "115: WoodBlock",
    "116: Taiko", "117: Melo.Tom 1", "118: Synth Drum", "119: Reverse Cymbal",
    "120: Gt.FretNoise", "121: Breath Noise", "122: Seashore", "123: Bird",
    "124: Telephone", "125: Helicopter", "126: Applause", "127: Gun Shot",
};

void fillWithProgramNames(ComboBox& combo)
{
    combo.resetContent();
    for (const char* name : programNames)
        combo.addString(name);
}
