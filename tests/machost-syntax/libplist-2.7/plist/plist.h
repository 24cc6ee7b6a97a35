// The part of libplist 2.7.0's <plist/plist.h> that Vantrel's core calls, declared in shape
// from that version's documented interface (what Homebrew installs on a Mac), so that
// `scripts/check-machost.sh` type-checks the core against it as well as against Debian's
// 2.2. Never part of a build. What 2.7.0 changed for its callers: PLIST_UINT is PLIST_INT,
// plist_to_xml_free and plist_to_bin_free are gone (plist_mem_free frees every buffer),
// the writers and readers answer a plist_err_t, and the 32-bit date calls are deprecated
// in favour of whole-second Unix dates.
#pragma once

#include <cstdint>

#define PLIST_WARN_DEPRECATED(x) __attribute__((deprecated(x)))

extern "C" {

typedef void* plist_t;
typedef void* plist_dict_iter;
typedef void* plist_array_iter;

typedef enum {
    PLIST_NONE = -1,
    PLIST_BOOLEAN,
    PLIST_INT,
    PLIST_REAL,
    PLIST_STRING,
    PLIST_ARRAY,
    PLIST_DICT,
    PLIST_DATE,
    PLIST_DATA,
    PLIST_KEY,
    PLIST_UID,
    PLIST_NULL,
} plist_type;

#define PLIST_UINT PLIST_INT

typedef enum {
    PLIST_ERR_SUCCESS = 0,
    PLIST_ERR_INVALID_ARG = -1,
    PLIST_ERR_FORMAT = -2,
    PLIST_ERR_PARSE = -3,
    PLIST_ERR_NO_MEM = -4,
    PLIST_ERR_IO = -5,
    PLIST_ERR_UNKNOWN = -255
} plist_err_t;

plist_t plist_new_dict(void);
plist_t plist_new_array(void);
plist_t plist_new_string(const char* val);
plist_t plist_new_bool(uint8_t val);
plist_t plist_new_uint(uint64_t val);
plist_t plist_new_int(int64_t val);
plist_t plist_new_real(double val);
plist_t plist_new_data(const char* val, uint64_t length);
plist_t plist_new_unix_date(int64_t sec);
plist_t plist_new_uid(uint64_t val);
plist_t plist_new_null(void);
void plist_free(plist_t plist);
plist_t plist_copy(plist_t node);

uint32_t plist_array_get_size(plist_t node);
plist_t plist_array_get_item(plist_t node, uint32_t n);
void plist_array_append_item(plist_t node, plist_t item);

uint32_t plist_dict_get_size(plist_t node);
void plist_dict_new_iter(plist_t node, plist_dict_iter* iter);
void plist_dict_next_item(plist_t node, plist_dict_iter iter, char** key, plist_t* val);
plist_t plist_dict_get_item(plist_t node, const char* key);
void plist_dict_set_item(plist_t node, const char* key, plist_t item);

plist_type plist_get_node_type(plist_t node);
void plist_get_key_val(plist_t node, char** val);
void plist_get_string_val(plist_t node, char** val);
const char* plist_get_string_ptr(plist_t node, uint64_t* length);
void plist_get_bool_val(plist_t node, uint8_t* val);
void plist_get_uint_val(plist_t node, uint64_t* val);
void plist_get_int_val(plist_t node, int64_t* val);
void plist_get_real_val(plist_t node, double* val);
void plist_get_data_val(plist_t node, char** val, uint64_t* length);
const char* plist_get_data_ptr(plist_t node, uint64_t* length);
void plist_get_unix_date_val(plist_t node, int64_t* sec);
void plist_get_uid_val(plist_t node, uint64_t* val);

plist_err_t plist_to_xml(plist_t plist, char** plist_xml, uint32_t* length);
plist_err_t plist_to_bin(plist_t plist, char** plist_bin, uint32_t* length);
plist_err_t plist_from_xml(const char* plist_xml, uint32_t length, plist_t* plist);
plist_err_t plist_from_bin(const char* plist_bin, uint32_t length, plist_t* plist);
int plist_is_binary(const char* plist_data, uint32_t length);

void plist_mem_free(void* ptr);
const char* libplist_version();

PLIST_WARN_DEPRECATED("use plist_new_unix_date instead")
plist_t plist_new_date(int32_t sec, int32_t usec);
PLIST_WARN_DEPRECATED("use plist_get_unix_date_val instead")
void plist_get_date_val(plist_t node, int32_t* sec, int32_t* usec);
PLIST_WARN_DEPRECATED("use plist_set_unix_date_val instead")
void plist_set_date_val(plist_t node, int32_t sec, int32_t usec);

} // extern "C"
