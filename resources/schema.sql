-- The base schema of DB/SystemData.db3. OpenDatabase runs this at every
-- open, inside one transaction, before its start-up statements: it creates
-- what is missing and adds the fixed rows that are missing, and changes
-- nothing that exists. Columns stand in their final physical order (base
-- columns, then those the start-up statements append), because several
-- writers insert by position. CountmsgRecord is not here: it lives in
-- DB/CustomerData.db3.
--
-- No collation is declared on columns: the queries name "pinyin" themselves,
-- and a schema that named it could not be opened by tools without it.

-- One row per (contact, group); perNO is shared by the rows of one contact.
CREATE TABLE IF NOT EXISTS ContactList (
    name         TEXT,                 --  1  field id 1
    sex          TEXT,                 --  2  "男" / "女"
    mobileNum    TEXT,                 --  3  text: a leading "0" must survive
    birthDay     TEXT,                 --  4  "%Y-%m-%d" or ''
    specialDay   TEXT,                 --  5  "%Y-%m-%d" or ''
    qq           TEXT,                 --  6
    msn          TEXT,                 --  7
    eMail        TEXT,                 --  8
    faTel        TEXT,                 --  9
    faAddr       TEXT,                 -- 10
    coName       TEXT,                 -- 11
    coDept       TEXT,                 -- 12
    coEmp        TEXT,                 -- 13
    province     TEXT,                 -- 14
    city         TEXT,                 -- 15
    conAddr      TEXT,                 -- 16
    conIndusty   TEXT,                 -- 17  (spelling as used by every statement)
    conTel       TEXT,                 -- 18
    conFax       TEXT,                 -- 19
    mark         TEXT,                 -- 20  field id 20
    groupID      INTEGER,              -- 21  ContactGroup.GroupID
    perNO        INTEGER,              -- 22  contact id
    isDeleted    INTEGER DEFAULT 0,    -- 23  0 = present; default relied on
    firstLetter  TEXT,                 -- 24  pinyin initial; NULL/'' = not yet made
    displayIndex INTEGER(10) DEFAULT 0,-- 25  appended at start-up
    txtDef1      CHAR(250),            -- 26  user field 21 ... appended at start-up
    txtDef2      CHAR(250),            -- 27  22
    txtDef3      CHAR(250),            -- 28  23
    txtDef4      CHAR(250),            -- 29  24
    txtDef5      CHAR(250),            -- 30  25
    txtDef6      CHAR(250),            -- 31  26
    txtDef7      CHAR(250),            -- 32  27
    numDef1      INTEGER(20),          -- 33  28
    numDef2      INTEGER(20),          -- 34  29
    numDef3      INTEGER(20),          -- 35  30
    boolDef1     CHAR(2),              -- 36  31  "是" / "否"
    boolDef2     CHAR(2),              -- 37  32
    dateDef1     CHAR(20),             -- 38  33  "%Y-%m-%d" or ''
    dateDef2     CHAR(20)              -- 39  34
);

CREATE TABLE IF NOT EXISTS ContactGroup (
    GroupID    INTEGER,                -- "largest plus one"
    GroupName  TEXT,
    MasterID   INTEGER                 -- parent GroupID, 0 = top level
);

CREATE TABLE IF NOT EXISTS fieldDisplay (
    fieldID     INTEGER,               -- 1..20 fixed fields, 21..34 user fields
    name        TEXT,                  -- display name (matched by name in places)
    nameOfValue TEXT,                  -- ContactList column holding the value
    inUse       INTEGER,               -- 1 = the field exists for the user
    isVisible   INTEGER,               -- 1 = shown as a list column
    indexField  INTEGER                -- display position, 0-based
);

CREATE TABLE IF NOT EXISTS autoFieldInfo (
    personID   INTEGER,                -- ContactList.perNO
    fieldID    INTEGER,                -- fieldDisplay.fieldID (21..34)
    fieldName  TEXT,                   -- display name of the field
    fieldValue TEXT                    -- value as text (dates "YYYY-MM-DD")
);

CREATE TABLE IF NOT EXISTS accountInfo (
    fieldName  TEXT,                   -- '0', '1', 'name01'..'name20' (text!)
    fieldValue TEXT                    -- 'AD'+pwd, 'OP'+pwd, '0'/'1'
);

-- Physical order fixed by positional INSERTs (task wizard, one-contact
-- message, MMS, fax, voice, e-mail).
CREATE TABLE IF NOT EXISTS sendInfo (
    content          TEXT,             -- 1  text / document path / subject
    submitTime       TEXT,             -- 2  "%Y-%m-%d %H:%M:%S"
    timingTime       TEXT,             -- 3  "%Y-%m-%d %H:%M:00", '' or NULL = at once
    count            INTEGER,          -- 4  charged messages (-1 for fax)
    isDraft          INTEGER DEFAULT 0,-- 5  default relied on
    isFail           INTEGER,          -- 6
    sendID           INTEGER,          -- 7  job id, "largest plus one"
    sendType         INTEGER DEFAULT 1,-- 8  1 SMS 2 fax 3 e-mail 4 MMS 5 voice 6 survey; default relied on
    send_receive_Num INTEGER(5)        -- 9  reply sub-number 1..100; appended at start-up
);

CREATE TABLE IF NOT EXISTS sendNums (
    sendID        INTEGER,             -- sendInfo.sendID
    numOrMailAddr TEXT,                -- number or e-mail address
    name          TEXT,                -- contact name, may be NULL/''
    taskID        INTEGER DEFAULT 0,   -- task that made the row; default relied on
    rrid          CHAR(30),            -- service reference, up to 63 characters; appended at start-up
    status        CHAR(20)             -- delivery status text; appended at start-up
);

-- Physical order fixed by the converter's positional INSERT.
CREATE TABLE IF NOT EXISTS attachmentContent (
    soundFileFullPath TEXT,            -- sound file / e-mail attachment path
    pictureFullPath   TEXT,            -- MMS picture path
    txtContent        TEXT,            -- frame text / voice text / mail body
    sendID            INTEGER,         -- sendInfo.sendID
    sendIDChildID     TEXT             -- MMS frame '1'..'9',':'..'D' (text order = frame order)
);

CREATE TABLE IF NOT EXISTS receivedMSGRecord (
    receiveID        INTEGER,          -- the service's message id
    sendNum          TEXT,             -- sender
    msgContent       TEXT,
    sendTime         TEXT,             -- "%Y-%m-%d %H:%M:%S"
    alreadyRead      INTEGER DEFAULT 0,-- 1 = read (NULL also means unread)
    name             CHAR(20),         -- appended at start-up
    coName           CHAR(50),         -- appended at start-up
    send_receive_Num INTEGER(5)        -- appended at start-up; -1 = no sub-number
);

CREATE TABLE IF NOT EXISTS taskInfo (
    taskType     INTEGER,              -- 0 timed/cycle messages, 1 send message, 2 work reminder
    name         TEXT,
    description  TEXT,
    wndPreMinute TEXT,                 -- minutes as text; '' = no window reminder
    smsPreMinute TEXT,
    smsTipNums   TEXT,                 -- comma-separated numbers
    smsContent   TEXT,
    taskID       INTEGER,              -- "largest plus one"
    creatTime    TEXT,                 -- "%Y-%m-%d %H:%M:%S"
    isSingle     INTEGER,              -- 1 one occurrence, 0 periodic
    periodType   INTEGER,
    periodValue1 TEXT,
    periodValue2 TEXT
);

CREATE TABLE IF NOT EXISTS taskDetail (
    taskID      INTEGER,
    fullTime    TEXT,                  -- "%Y-%m-%d %H:%M"
    isCompleted INTEGER                -- 0 open, 1 done
);

CREATE TABLE IF NOT EXISTS holidaySMS (
    month   INTEGER,                   -- 1..12 (typed digits; INTEGER so ORDER BY month is numeric)
    day     INTEGER,                   -- 1..31
    name    TEXT,
    content TEXT,                      -- the greeting
    recID   INTEGER,                   -- "largest plus one", renewed on every edit
    type    INTEGER                    -- 0 Gregorian, 1 lunar, 2 custom
);

CREATE TABLE IF NOT EXISTS smsSourceGroup (
    recID    INTEGER,                  -- group id (INTEGER: the converter writes quoted digits)
    parentID INTEGER,                  -- 2 or 3 (fixed tree roots) or another recID
    content  TEXT                      -- group name
);

CREATE TABLE IF NOT EXISTS smsSourceContent (
    recID     INTEGER,
    parentID  INTEGER,                 -- smsSourceGroup.recID
    content   TEXT,                    -- phrase
    creatTime TEXT                     -- "%Y-%m-%d %H:%M"
);

CREATE TABLE IF NOT EXISTS interactiveMsgSql (
    recID   INTEGER,
    name    TEXT,                      -- rule name, unique by use
    content TEXT,                      -- reply text, may hold <%field%>
    sqlDes  TEXT                       -- stored SELECT returning sendNum
);

-- No "content" column here: with one, the rule-opening join of
-- CDlgInteractiveMSG ("SELECT field,symbol,filterValue,content FROM
-- interactiveMsgSqlField,interactiveMsgSql ...") is ambiguous and fails.
CREATE TABLE IF NOT EXISTS interactiveMsgSqlField (
    parentID    INTEGER,               -- interactiveMsgSql.recID
    parentName  TEXT,                  -- interactiveMsgSql.name
    field       TEXT,                  -- display name of the field
    symbol      TEXT,                  -- "大于", "小于", "等于", "包含", "不等于", "开始于"
    filterValue TEXT
);

CREATE TABLE IF NOT EXISTS serverAddress (
    disName TEXT,                      -- "服务器%d"
    address TEXT                       -- "http://host:8060/webservice.asmx"
);

CREATE TABLE IF NOT EXISTS CityInfo (
    Province TEXT,
    City     TEXT
);

CREATE TABLE IF NOT EXISTS Register (
    SerNum CHAR(30),                   -- service serial number
    PassWd CHAR(10),                   -- service password (up to 11 characters are used)
    Sign   CHAR(20)                    -- signature (written by the converter)
);

-- Login values (empty initial passwords) and the twenty operator rights, all
-- "0" (not granted). Only missing names are added: the unique index on
-- fieldName is created later and may be missing on an old database.
INSERT INTO accountInfo (fieldName, fieldValue)
SELECT v.column1, v.column2
FROM (VALUES
    ('0', 'AD'), ('1', 'OP'),
    ('name01', '0'), ('name02', '0'), ('name03', '0'), ('name04', '0'),
    ('name05', '0'), ('name06', '0'), ('name07', '0'), ('name08', '0'),
    ('name09', '0'), ('name10', '0'), ('name11', '0'), ('name12', '0'),
    ('name13', '0'), ('name14', '0'), ('name15', '0'), ('name16', '0'),
    ('name17', '0'), ('name18', '0'), ('name19', '0'), ('name20', '0')
) AS v
WHERE v.column1 NOT IN (SELECT fieldName FROM accountInfo WHERE fieldName IS NOT NULL);

-- The 34 contact fields. The names marked (fixed) are looked up or refused
-- by name elsewhere. Only missing ids are added, so a user's names and order
-- are never changed.
INSERT INTO fieldDisplay (fieldID, name, nameOfValue, inUse, isVisible, indexField)
SELECT v.column1, v.column2, v.column3, v.column4, v.column5, v.column6
FROM (VALUES
    ( 1, '姓名',         'name',        1, 1,  0),  -- (fixed)
    ( 2, '性别',         'sex',         1, 1,  1),  -- (fixed)
    ( 3, '手机或小灵通', 'mobileNum',   1, 1,  2),  -- (fixed)
    ( 4, '生日',         'birthDay',    1, 1,  3),  -- (fixed)
    ( 5, '特殊日期',     'specialDay',  1, 1,  4),  -- (fixed: import looks it up)
    ( 6, 'QQ',           'qq',          1, 1,  5),
    ( 7, 'MSN',          'msn',         1, 1,  6),
    ( 8, 'EMail',        'eMail',       1, 1,  7),
    ( 9, '家庭电话',     'faTel',       1, 1,  8),
    (10, '住址',         'faAddr',      1, 1,  9),
    (11, '公司名称',     'coName',      1, 1, 10),
    (12, '部门',         'coDept',      1, 1, 11),
    (13, '职务',         'coEmp',       1, 1, 12),
    (14, '省份',         'province',    1, 1, 13),  -- (fixed)
    (15, '城市',         'city',        1, 1, 14),  -- (fixed)
    (16, '地址',         'conAddr',     1, 1, 15),
    (17, '行业',         'conIndusty',  1, 1, 16),  -- (fixed)
    (18, '电话',         'conTel',      1, 1, 17),
    (19, '传真',         'conFax',      1, 1, 18),  -- (fixed)
    (20, '备注',         'mark',        1, 1, 19),
    (21, '自定义文本1',  'txtDef1',     0, 0, 20),
    (22, '自定义文本2',  'txtDef2',     0, 0, 21),
    (23, '自定义文本3',  'txtDef3',     0, 0, 22),
    (24, '自定义文本4',  'txtDef4',     0, 0, 23),
    (25, '自定义文本5',  'txtDef5',     0, 0, 24),
    (26, '自定义文本6',  'txtDef6',     0, 0, 25),
    (27, '自定义文本7',  'txtDef7',     0, 0, 26),
    (28, '自定义数字1',  'numDef1',     0, 0, 27),
    (29, '自定义数字2',  'numDef2',     0, 0, 28),
    (30, '自定义数字3',  'numDef3',     0, 0, 29),
    (31, '自定义是否1',  'boolDef1',    0, 0, 30),
    (32, '自定义是否2',  'boolDef2',    0, 0, 31),
    (33, '自定义日期1',  'dateDef1',    0, 0, 32),
    (34, '自定义日期2',  'dateDef2',    0, 0, 33)
) AS v
WHERE v.column1 NOT IN (SELECT fieldID FROM fieldDisplay WHERE fieldID IS NOT NULL);

-- Provinces and their cities for the contact editor, only into an empty
-- table: a user's own list is never touched.
INSERT INTO CityInfo (Province, City)
SELECT v.column1, v.column2
FROM (VALUES
    ('北京市', '北京市'),
    ('上海市', '上海市'),
    ('天津市', '天津市'),
    ('重庆市', '重庆市'),
    ('广东省', '广州市'), ('广东省', '深圳市'), ('广东省', '珠海市')
) AS v
WHERE NOT EXISTS (SELECT 1 FROM CityInfo);
