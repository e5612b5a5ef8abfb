#include "common/fieldsplit.h"

namespace corvane {

const QByteArray FieldSeparator = QByteArray(3, FieldSeparatorByte);

QByteArrayList SplitFields(QByteArrayView record) {
    QByteArrayList fields;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= record.size(); ++i) {
        const bool delimiter = i == record.size() || record[i] == FieldSeparatorByte;
        if (delimiter) {
            if (start >= 0)
                fields.append(record.sliced(start, i - start).toByteArray());
            start = -1;
        } else if (start < 0) {
            start = i;
        }
    }
    return fields;
}

QByteArray Field(QByteArrayView record, int n) {
    if (n < 1)
        return {};
    int index = 0;
    qsizetype i = 0;
    const qsizetype size = record.size();
    while (i < size) {
        while (i < size && record[i] == FieldSeparatorByte)
            ++i;
        if (i == size)
            break;
        const qsizetype start = i;
        while (i < size && record[i] != FieldSeparatorByte)
            ++i;
        if (++index == n)
            return record.sliced(start, i - start).toByteArray();
    }
    return {};
}

QByteArray JoinFields(const QByteArrayList& fields) { return fields.join(FieldSeparator); }

} // namespace corvane
