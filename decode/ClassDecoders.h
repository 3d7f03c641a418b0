// The class decoders the standard decoders hand over to, as tables keyed by
// the class of the interface a descriptor or request belongs to:
//
// - class-specific descriptors met while walking a configuration (or handed
//   to DecodeClassSpecificDescriptor) go to the descriptor row of the current
//   interface's class;
// - class requests (bmRequestType type 1) go to the request row of the class
//   of the interface that owns the pipe; a standard GET/SET_DESCRIPTOR of a
//   class descriptor type goes first to that row's descriptorRequest.
//
// A row whose decoder is null, a missing row and a decoder that declines all
// fall back: the descriptor shows as unrecognized, the request as its plain
// setup table. A class decoder registers by filling its row in the table of
// the library that holds it: decode/ holds kStandardClassDecoders (the hub
// descriptor), protocols/ holds the full table (protocols/ClassDecoders.h),
// which the pages' entry points put into DECODE_CONTEXT::classDecoders.
#pragma once
#include <cstdint>
#include <span>

#include "decode/DecodeContext.h"

namespace brx {

// ctx.bytes holds the descriptor (class descriptors) or the 8-byte setup
// packet (requests). True when the decoder wrote its tables, false when it
// declined (the caller then writes the fallback).
using ClassDecoder = bool (*)(DECODE_CONTEXT& ctx);

// A row's subclass that matches any subclass.
constexpr int16_t kAnySubclass = -1;

struct CLASS_DESCRIPTOR_ROW {
    uint8_t interfaceClass;
    int16_t interfaceSubClass; // kAnySubclass or 00h-FFh
    ClassDecoder decode;       // null: shown as unrecognized
};

struct CLASS_REQUEST_ROW {
    uint8_t interfaceClass;
    int16_t interfaceSubClass;
    ClassDecoder classRequest;      // class requests; null: the setup table
    ClassDecoder descriptorRequest; // standard GET/SET_DESCRIPTOR of a class descriptor type; null: the standard decoder
};

struct CLASS_DECODERS {
    std::span<const CLASS_DESCRIPTOR_ROW> descriptors;
    std::span<const CLASS_REQUEST_ROW> requests;
};

// The rows decode/ fills itself: the hub descriptor (interface class 09h).
extern const CLASS_DECODERS kStandardClassDecoders;

// ctx.classDecoders, or kStandardClassDecoders when it is null.
const CLASS_DECODERS& ClassDecodersOf(const DECODE_CONTEXT& ctx);
// The first row matching class and subclass, or null.
const CLASS_DESCRIPTOR_ROW* FindClassDescriptorRow(const CLASS_DECODERS& table, uint8_t cls, uint8_t subclass);
const CLASS_REQUEST_ROW* FindClassRequestRow(const CLASS_DECODERS& table, uint8_t cls, uint8_t subclass);

} // namespace brx
