// Header extraction: after every fetch the header block of the fetched file
// gives the recipient, copy, sender, subject and date of the message, and the
// file is copied into the .eml store. MailHeader is the record of one listed
// mail that the check cycle and the mailbox share.
#pragma once

#include "framework/calendar_time.h"
#include "mail/mail_store.h"

#include <string>

// One mail as listed in the mailbox (element i of the main frame's
// arrivedMails is row i of the list). An error row, for an account that
// could not be checked, has senderName errorRowSender and the other four
// strings empty.
struct MailHeader {
    int serverIndex = 0;
    std::string senderName; // empty when the From line gives none
    std::string senderAddress;
    std::string subject;   // decoded
    std::string dateText;  // display form ("2001년 7월 24일 오전 10:05:09")
    std::string storeFile; // full path of the .eml copy
};

extern const char* const errorRowSender; // "[에러]"

// The longest header line read (longer ones are cut there). It bounds every
// field taken from a line, so a hostile header costs little memory.
constexpr size_t maxHeaderLineBytes = 4096;

// The fields a fetch extracts, held by the POP3 session for the message of
// its latest TOP or RETR.
struct HeaderFields {
    std::string to; // decoded first "To: " line
    std::string cc; // decoded first "Cc: " line
    std::string senderName;
    std::string senderAddress;
    std::string subject;
    std::string dateText; // empty until a date converted
    std::string storeFile;
    CCalendarTime mailTime; // kept from the previous message when no date line is found
};

// Splits a decoded From text into display name and address:
//  - with "<" and ">": the address lies after the last "<" up to the last
//    character (excluded); the name is the text between a leading double
//    quote and the next one (empty without a second), else the text before
//    the last "<";
//  - else with "(" and ")": the address is the text before the last "("
//    (a blank before it stays), the name lies after it up to the last
//    character (excluded);
//  - else the whole text is the address and the name is empty.
// Trailing white space is trimmed from the name.
void SplitSender(const std::string& text, std::string& name, std::string& address);

// Reads the header block of the fetched file at path, one physical line at a
// time (at most maxHeaderLineBytes of each) until the first empty line (or
// the end of the file), and fills fields:
// the first "To: ", "Cc: ", "From: " and "Subject: " lines (each key as
// written, in lower or in upper case, the blank included) and the date of the
// topmost Received header that names a month, else of the Date line. Then
// copies the file into the store (StoreFetchedMail, which may consume the
// file) and sets storeFile.
// The strings are emptied first; mailTime changes only when a date line is
// converted. Returns true when to, senderAddress and dateText are set and the
// date converted. Failures set errorText: "임시 파일을 열 수 없습니다!" when
// the file cannot be opened (fields empty, nothing stored) and "날짜 변환
// 에러입니다!" when a date does not convert.
bool ParseHeaders(const std::string& path, FetchedPart part, HeaderFields& fields, std::string& errorText,
                  FetchedFile after = FetchedFile::Keep);
