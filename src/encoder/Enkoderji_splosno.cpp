#include "encoder/Enkoderji_splosno.h"

TEncoderSignature EncoderSignature;
TEncoderPosition EncoderPosition;
TEncoderAuxData EncoderAuxData;

EncoderRecords GlobalEncoderRecords() {
    return EncoderRecords{EncoderSignature, EncoderPosition, EncoderAuxData};
}
