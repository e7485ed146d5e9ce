#pragma once

#include <array>
#include <string_view>

namespace testing_support {

// The layout of db1.db as the program created it before it carried a layout version in
// `PRAGMA user_version` (database version 1), for the upgrade tests.
inline constexpr std::array<std::string_view, 10> kVersionOneSchema{
    "CREATE TABLE test ( id INTEGER PRIMARY KEY AUTOINCREMENT, 考试名称 TEXT COLLATE NOCASE, 考试标识 TEXT "
    "COLLATE NOCASE, set1 INTEGER DEFAULT 0, set2 INTEGER DEFAULT 0, set3 INTEGER DEFAULT 0, set4 INTEGER "
    "DEFAULT 0, set5 INTEGER DEFAULT 1, wid INTEGER)",
    "CREATE TABLE tm ( id INTEGER PRIMARY KEY AUTOINCREMENT, testid INTEGER, wid INTEGER, 题型 TEXT, 题目 "
    "LONGTEXT, 候选项 LONGTEXT, 答案 TEXT, 分数 REAL)",
    "CREATE TABLE cj ( testid INTEGER, ip TEXT COLLATE NOCASE, 姓名 TEXT COLLATE NOCASE, 成绩 REAL, 考试标识 "
    "TEXT COLLATE NOCASE, 提交时间 DATETIME DEFAULT (datetime('now','localtime')))",
    "CREATE TABLE dtxb ( testid INTEGER, tmid INTEGER, xm TEXT COLLATE NOCASE, zd TEXT, 考试标识 TEXT "
    "COLLATE "
    "NOCASE)",
    "CREATE TABLE shezhi ( setx TEXT COLLATE NOCASE, setz TEXT COLLATE NOCASE)",
    "CREATE INDEX dtxb_exam_question_name ON dtxb (testid, tmid, xm)",
    "CREATE INDEX dtxb_question_name ON dtxb (tmid, xm)",
    "CREATE INDEX cj_exam_name ON cj (testid, 姓名)",
    "CREATE INDEX tm_exam ON tm (testid)",
    "PRAGMA user_version=1",
};

}  // namespace testing_support
