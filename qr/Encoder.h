#pragma once

#include "qr/BitArray.h"
#include "qr/ModulePlanes.h"
#include "qr/QRCode.h"
#include "qr/QRTypes.h"
#include "qr/SymbolTrials.h"

#include <span>
#include <string>
#include <string_view>

namespace bramolt::qr {

// Turns a text into a complete QR code symbol: one data segment (numeric, alphanumeric or byte
// mode), the smallest version that holds it, pad codewords, Reed-Solomon blocks and their
// interleaving, the data mask with the lowest penalty and the module matrix. Internal
// inconsistencies set EncoderError and the encoding goes on; the only error raised is a text too
// long for version 40.
class TEncoder {
  public:
    TEncoder() = default;

    // Fills qrCode with the symbol of text. encodingOption may resolve to another option (qrAuto
    // becomes a concrete one) only inside the run. Throws EQRTextTooLong when the segment does not
    // fit version 40 at ecLevel; qrCode is then left untouched.
    void EncodeText(std::u16string_view text, TQRCodeEncoding encodingOption,
                    const TErrorCorrectionLevel& ecLevel, TQRCode& qrCode);

    bool EncoderError() const { return FEncoderError; }

    // ---- Data segment (ISO/IEC 18004, 7.4) ---------------------------------------------------

    // The segment mode for text; qrAuto becomes qrISO88591 or qrUTF8NoBOM when bytes are needed.
    static TMode SelectMode(std::u16string_view text, TQRCodeEncoding& encodingOption);
    // The text without the UTF-16 units that mode (with encodingOption for bytes) cannot carry.
    static std::u16string KeepEncodableChars(std::u16string_view text, TMode mode,
                                             TQRCodeEncoding encodingOption);
    // The segment's data bits; a mode other than numeric, alphanumeric or byte sets EncoderError.
    void WriteSegmentData(std::u16string_view text, TMode mode, TBitArray& bits,
                          TQRCodeEncoding encodingOption);
    // The bytes a byte-mode segment carries for text under encodingOption (3, 4 or 5).
    static TByteArray SegmentBytes(std::u16string_view text, TQRCodeEncoding encodingOption);
    // Appends count in the count field width of mode at versionNum; a count too large for the
    // field sets EncoderError and appends nothing.
    void WriteCharCount(int count, int versionNum, TMode mode, TBitArray& bits);
    // Terminator, zero bits to a byte boundary and pad codewords EC 11 EC ... up to numDataBytes.
    void PadToCapacity(int numDataBytes, TBitArray& bits);

    // The 4-bit mode indicator.
    static int ModeIndicator(TMode mode);
    // Bits of the character count field of mode at version versionNumber (1..40).
    static int CharCountWidth(TMode mode, int versionNumber);
    // Value of code in the 45-character alphanumeric set, -1 outside it.
    static int AlphanumericValue(char16_t code);

    // ---- Error correction and interleaving (ISO/IEC 18004, 7.5 and 7.6) ----------------------

    struct TBlockSize {
        int DataBytes = 0;
        int ECBytes = 0;
    };
    // Data and error-correction codeword counts of block blockIndex when numTotalBytes codewords,
    // numDataBytes of them data, form numRSBlocks blocks (shorter blocks first). Inconsistent
    // arguments set EncoderError and give zero counts.
    TBlockSize BlockSizes(int numTotalBytes, int numDataBytes, int numRSBlocks, int blockIndex);
    // The ecCount error-correction codewords of one block.
    static TByteArray ComputeECBytes(std::span<const std::uint8_t> dataBytes, int ecCount);
    // The final codeword stream: data codewords, then error-correction codewords, each taken
    // column-wise across the blocks. The bits must hold exactly numDataBytes bytes; otherwise
    // EncoderError is set and the result is empty.
    TBitArray InterleaveBlocks(const TBitArray& bits, int numTotalBytes, int numDataBytes, int numRSBlocks);

    // ---- Mask choice (ISO/IEC 18004, 7.8) ----------------------------------------------------

    // The mask pattern 0..7 whose symbol has the lowest MaskPenalty, the lower number on a tie.
    static int SelectMaskPattern(TSymbolTrials& trials);
    // Sum of the four rules below, for a complete symbol.
    static int MaskPenalty(const TModulePlanes& matrix);
    // Runs of 5 or more equal modules in a row or column: 3, plus 1 for each module beyond 5.
    static int PenaltyRuns(const TModulePlanes& matrix);
    // 3 for every 2 x 2 block of equal modules, overlapping blocks counted separately.
    static int PenaltyBlocks(const TModulePlanes& matrix);
    // 40 for every dark-light-dark-dark-dark-light-dark run with four light modules inside the
    // symbol before or after it, per direction.
    static int PenaltyFinderLike(const TModulePlanes& matrix);
    // 1 when fewer than 25% or more than 75% of the modules are dark, otherwise 0.
    static int PenaltyBalance(const TModulePlanes& matrix);

  private:
    void WriteNumeric(std::u16string_view text, TBitArray& bits);
    void WriteAlphanumeric(std::u16string_view text, TBitArray& bits);

    bool FEncoderError = false;
};

} // namespace bramolt::qr
