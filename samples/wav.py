"""44.1 kHz, 16-bit stereo WAV files for the samples and the benchmarks."""
import struct

RATE = 44100


def wav_header(data_size):
    """The canonical 44-byte header for data_size bytes of samples."""
    return (b"RIFF" + struct.pack("<I", 36 + data_size) + b"WAVE" +
            b"fmt " + struct.pack("<IHHIIHH", 16, 1, 2, RATE, RATE * 4, 4, 16) +
            b"data" + struct.pack("<I", data_size))


def write_wav(path, data):
    with open(path, "wb") as f:
        f.write(wav_header(len(data)) + data)
