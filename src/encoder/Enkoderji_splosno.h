#pragma once
// Enkoderji_splosno: what the program knows about the attached encoder. Plain
// data; the engine owns one of each, and core functions take them by
// reference.

#include <cstdint>
#include <string>

struct TEncoderSignature {
    std::string SerialNumber; ///< letters and digits of the 'v' payload
    std::string PartNumber;   ///< letters and digits of the 'p' frame
    std::string SerialDecoded;
    std::string ExtendedSerial;
    std::string FWverStr; ///< "major.minor.comm.svn"
    std::uint32_t FWverMajor = 0; ///< also the search's extended-command-set flag
    std::uint32_t FWverMinor = 0;
    std::uint32_t FWverComm = 0;
    std::uint32_t FWverSVN = 0;
    std::uint32_t FWverHash = 0;
    std::int32_t RingMagnetSize = 0; ///< 12, 16, 22 or 30; 0 when unknown
    bool Multiturn = false;          ///< replies carry a 16-bit turn count first
};

struct TEncoderPosition {
    std::string RxData;
    std::string RxBinDebug;
    std::int32_t MT_value = 0;
    std::uint32_t ST_value = 0;
    std::int64_t MTST_value = 0;
    std::int32_t ErrComm = 0; ///< status of the last exchange (InterfaceCommand)
    bool ErrTimeout = false;
    bool ErrCRC = false; ///< the last decoded reply failed its check
    bool ErrBit = false;
    bool WarnBit = false;
    std::uint32_t Timestamp = 0;
    std::int32_t STmaxCount = 0;
    std::int32_t MTmaxCount = 0;
    std::int64_t Position_cnt = 0;
    double Resolution_unit = 0.0;
    double Position_unit = 0.0;
    double Position_unit_Old = 0.0;
};

struct TEncoderAuxData {
    std::int32_t SignalLevel = 0; ///< 0..65535; 0 after a failed 'a'; -1 when not hex
    double AirGap = 0.0;          ///< mm; NaN when the curve has no value (size 22/30, level <= 0)
    std::int32_t Speed_value = 0; ///< tenths of RPM
    double Speed_real = 0.0;
    std::uint32_t DetStatus = 0; ///< 65535 when not hex
    std::uint32_t CalStatus = 0; ///< 0 after a failed 'i'; 65535 when not hex
    std::int16_t Temperature_value = 0; ///< tenths of a degree Celsius
};

/// The three records an exchange reads and writes.
struct EncoderRecords {
    TEncoderSignature& Signature;
    TEncoderPosition& Position;
    TEncoderAuxData& Aux;
};
