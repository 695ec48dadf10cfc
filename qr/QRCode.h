#pragma once

#include "qr/ByteMatrix.h"
#include "qr/QRTypes.h"

#include <memory>
#include <optional>

namespace bramolt::qr {

// The record of one encoded symbol: its mode, level, version, mask and module matrix.
// The encoding run fills the mode, level, version, mask and matrix; the codeword counts
// and the matrix width stay -1 unless SetAll stores them.
class TQRCode {
  public:
    TQRCode() = default;

    TMode Mode() const { return FMode; }
    void SetMode(TMode mode) { FMode = mode; }
    // The owned copy of the level; empty until SetECLevel.
    const std::optional<TErrorCorrectionLevel>& ECLevel() const { return FECLevel; }
    void SetECLevel(const TErrorCorrectionLevel& newECLevel) { FECLevel = newECLevel; }
    // 1..40, or -1 before the run.
    int Version() const { return FVersion; }
    void SetVersion(int version) { FVersion = version; }
    // 0..7, or -1 before the run.
    int MaskPattern() const { return FMaskPattern; }
    void SetMaskPattern(int maskPattern) { FMaskPattern = maskPattern; }
    int MatrixWidth() const { return FMatrixWidth; }
    int NumTotalBytes() const { return FNumTotalBytes; }
    int NumDataBytes() const { return FNumDataBytes; }
    int NumECBytes() const { return FNumECBytes; }
    int NumRSBlocks() const { return FNumRSBlocks; }
    // The module matrix, or null before the run.
    const TByteMatrix* Matrix() const { return FMatrix.get(); }
    // Hands the matrix to the record, replacing the previous one.
    void SetMatrix(std::unique_ptr<TByteMatrix> newMatrix) { FMatrix = std::move(newMatrix); }
    bool QRCodeError() const { return FQRCodeError; }

    // The cell at column x, row y; a cell that is neither 0 nor 1 sets QRCodeError (and is still
    // returned). Needs a matrix.
    int At(int x, int y);
    void SetAll(int versionNum, int numBytes, int numDataBytes, int numRSBlocks, int numECBytes,
                int matrixWidth);
    // True when the record describes a complete, consistent symbol.
    bool IsValid() const;

    static constexpr bool IsValidMaskPattern(int maskPattern) { return maskPattern >= 0 && maskPattern < 8; }

  private:
    TMode FMode = TMode::qmTerminator;
    std::optional<TErrorCorrectionLevel> FECLevel;
    int FVersion = -1;
    int FMatrixWidth = -1;
    int FMaskPattern = -1;
    int FNumTotalBytes = -1;
    int FNumDataBytes = -1;
    int FNumECBytes = -1;
    int FNumRSBlocks = -1;
    std::unique_ptr<TByteMatrix> FMatrix;
    bool FQRCodeError = false;
};

} // namespace bramolt::qr
