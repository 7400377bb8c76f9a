#pragma once

#include <cstdint>

namespace tarnwick {

// Inside an update run every failure travels as a plain integer, thrown by
// the layer that detects it and caught once at the top of the worker. The
// HTTP client returns the same codes instead of throwing them. Positive
// values are socket errors as the platform reports them; minus an HTTP status
// is a refused request.
using FailureCode = std::int32_t;

// Streams, protocol violations, bad packages, failed allocations.
inline constexpr FailureCode kStreamFailure = -3;
inline constexpr FailureCode kGeneralFailure = kStreamFailure;
// The outcome is already set or the message was already shown.
inline constexpr FailureCode kQuietFailure = -2;
// A connection failure, or a failure without a code of its own.
inline constexpr FailureCode kConnectionFailure = -1;
// A line did not arrive within its time budget.
inline constexpr FailureCode kLineTimeout = -255;

}  // namespace tarnwick
